package com.tessal.veskor;

import com.tessal.veskor.types.FMNumber;
import com.tessal.veskor.types.FMText;
import com.tessal.veskor.types.FMType;
import java.lang.reflect.InvocationTargetException;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.LinkedList;
import java.util.List;
import java.util.logging.Level;
import java.util.logging.Logger;

/**
 * The base of every hosted plug-in. It tells the bridge who the plug-in is,
 * offers the hooks the bridge calls, and wraps every function call so that a
 * failing function never fails the host's call: the caller gets the text
 * "ERROR" and the failure is kept as the last error, which a function whose
 * name ends in "LastError" reports.
 */
public abstract class Plugin {
    private static final Logger log = Logger.getLogger(Plugin.class.getName());

    private static final String[] ERROR_READERS = {"LastError", "LastErrorMessage", "LastStackTrace"};
    private static final int OPTION_STRING_LENGTH = 11;

    private Throwable lastError;
    private Short applicationType;
    private final LinkedList<PluginFunction> currentFunctions = new LinkedList<>();
    private PluginBridge pluginBridge;

    /** The plug-in's four-character id. */
    public abstract QuadChar getShortId();

    public abstract String getName();

    public abstract String getHelpText();

    protected abstract VersionInfo getVersion();

    /** The context of the host call in progress, waiting for one if none is. */
    public final PluginContext getContext() {
        return pluginBridge.getCurrentContext();
    }

    public PluginBridge getPluginBridge() {
        return pluginBridge;
    }

    void setPluginBridge(PluginBridge bridge) {
        this.pluginBridge = bridge;
    }

    final void init(PluginBridge bridge) {
        this.pluginBridge = bridge;
        log.log(Level.CONFIG, "Created new plugin instance: " + getClass().getName() + " named " + getName()
            + "; version: " + getVersion());
        init();
    }

    /** The plug-in's start-up hook; does nothing. */
    public void init() {
    }

    /** Lets the plug-in adjust a discovered function before it is registered; false drops it. */
    public boolean customizeFunction(StaticFunction eachFunction) {
        return true;
    }

    protected FMType handleException(Throwable e, Object[] params) {
        return handleExceptionByStoringError(e, params);
    }

    /** Runs a function; whatever it throws becomes the failure value and the last error. */
    final FMType invokeFunctionNoErrors(PluginFunction function, Object[] parameters) {
        if (!readsLastError(function.getName())) {
            lastError = null;
        }
        currentFunctions.add(function);
        try {
            return invokeFunction(function, parameters);
        } catch (InvocationTargetException e) {
            return handleException(e.getCause() != null ? e.getCause() : e, parameters);
        } catch (Throwable t) {
            return handleException(t, parameters);
        } finally {
            currentFunctions.removeLast();
        }
    }

    private static boolean readsLastError(String name) {
        for (String suffix : ERROR_READERS) {
            if (name.endsWith(suffix)) {
                return true;
            }
        }
        return false;
    }

    protected FMType invokeFunction(PluginFunction function, Object[] parameters) throws Exception {
        return (FMType) function.invoke(this, parameters);
    }

    /** The plug-in's shutdown hook; does nothing. */
    public void shutdown() {
    }

    /** Whether the plug-in works with this host; false makes start-up report a bad version. */
    public boolean isVersionCompatible(short apiVersion, short applicationType) {
        return true;
    }

    /** Keeps a failure as the last error: unchecked wrappers with a cause give way to the cause. */
    protected void setLastError(Throwable t, Object[] parameters) {
        if (t == null) {
            throw new NullPointerException("lastError throwable must not be null.");
        }
        while (t instanceof RuntimeException && t.getCause() != null) {
            t = t.getCause();
        }
        PluginFunction function = currentFunctions.peekLast();
        lastError = t;
        if (parameters == null) {
            log.log(Level.SEVERE, "PluginFunction " + function + " got an error", t);
        } else {
            log.log(Level.SEVERE,
                "PluginFunction " + function + " got an error with converted args " + describe(parameters), t);
        }
    }

    private static List<Object> describe(Object[] parameters) {
        List<Object> shown = new ArrayList<>();
        for (Object each : parameters) {
            shown.add(each instanceof Object[] ? Arrays.asList((Object[]) each) : each);
        }
        return shown;
    }

    protected Throwable getLastError() {
        return lastError;
    }

    protected FMText defaultLastError() {
        String text = getLastErrorString();
        return text == null ? null : new FMText(text);
    }

    /**
     * The last error as a user reads it: a checked exception with a message
     * by its message alone; an error of the VM, an unchecked exception or
     * one without a message by its class name and message.
     */
    protected String getLastErrorString() {
        Throwable error = lastError;
        if (error == null) {
            return null;
        }
        if (error instanceof Error || error instanceof RuntimeException || error.getMessage() == null) {
            return error.toString();
        }
        return error.getLocalizedMessage();
    }

    protected FMType defaultVersion() {
        return new FMText(getVersion().toString());
    }

    protected FMText handleExceptionByStoringError(Throwable e, Object[] params) {
        try {
            setLastError(e, params);
            return failureValue();
        } catch (Exception | Error failure) {
            // The VM may have run out of memory while the failure was logged:
            // the call fails all the same, its own failure kept as the last error.
            try {
                log.log(Level.SEVERE, "There was an error in the error handler itself!", failure);
            } catch (RuntimeException | Error lost) {
                // Only the line is lost.
            }
            return new FMText("ERROR");
        }
    }

    protected FMNumber successValue() {
        return new FMNumber(Integer.valueOf(1));
    }

    protected FMText failureValue() {
        return new FMText("ERROR");
    }

    protected void setApplicationType(Short applicationType) {
        this.applicationType = applicationType;
    }

    protected Short getApplicationType() {
        return applicationType;
    }

    /** The host's options string for this plug-in: id, "1", preferences flag, "n", "Y", idle flag, "nn". */
    String getOptionString() {
        String options = getShortId().toString() + "1" + (this instanceof Configurable ? "Y" : "n") + "nY"
            + (this instanceof IdleHandler ? "Y" : "n") + "nn";
        assert options.length() == OPTION_STRING_LENGTH : options;
        return options;
    }
}
