package com.tessal.veskor;

import com.tessal.veskor.types.Converter;
import com.tessal.veskor.types.FMData;
import com.tessal.veskor.types.FMText;
import com.tessal.veskor.types.FMType;
import java.util.logging.Level;
import java.util.logging.Logger;

/**
 * One host call in progress, as plug-in code sees it: the bridge and the
 * plug-in, the host's flags and call-backs for the call, and the thread that
 * delivered it. A function call carries the native token of its calculation
 * environment; start-up, idle, shutdown and preferences carry the host's
 * current-environment call-back instead.
 *
 * Through the context plug-in code asks the host to evaluate a calculation,
 * read a field or start a script. A calculation in a function call sees that
 * call's file, table and record; at start-up, idle, shutdown and preferences
 * the host's current ones. Results are host values that live until the end
 * of the call (or, outside one, of the next call or idle cycle).
 */
public class PluginContext {
    private static final Logger log = Logger.getLogger(PluginContext.class.getName());

    private final PluginBridge theBridge;
    private final Plugin thePlugin;
    private final boolean unsafeCalls;
    private final long cStartScript;
    private final long envCallback;
    private final long cCurrentEnv;
    private final Thread filemakerThread;

    PluginContext(PluginBridge theBridge, Plugin thePlugin, boolean unsafeCalls, long cStartScript, long envCallback,
        long cCurrentEnv, Thread filemakerThread) {
        this.theBridge = theBridge;
        this.thePlugin = thePlugin;
        this.unsafeCalls = unsafeCalls;
        this.cStartScript = cStartScript;
        this.envCallback = envCallback;
        this.cCurrentEnv = cCurrentEnv;
        this.filemakerThread = filemakerThread;
    }

    public boolean isUnsafeCalls() {
        return unsafeCalls;
    }

    Thread getFilemakerThread() {
        return filemakerThread;
    }

    /** Whether the calling thread is the one that delivered this context's host call. */
    public boolean isFilemakerThread() {
        return Thread.currentThread() == filemakerThread;
    }

    public PluginBridge getBridge() {
        return theBridge;
    }

    public Plugin getPlugin() {
        return thePlugin;
    }

    long getCStartScript() {
        return cStartScript;
    }

    long getEnvCallback() {
        return envCallback;
    }

    long getCCurrentEnv() {
        return cCurrentEnv;
    }

    /** Evaluates a calculation in the host; the host's error code fails it. */
    public FMData evaluateExpression(String expression) throws FmCalculationException {
        if (Thread.currentThread() != filemakerThread) {
            log.warning("evaluateExpression called from non-FileMaker thread: " + Thread.currentThread());
        }
        log.fine("evaluateExpression: " + expression);
        if (expression == null) {
            throw new IllegalArgumentException("null value passed to evaluateExpression");
        }
        short code = _evaluateExpression(expression, cCurrentEnv, envCallback, cCurrentEnv == 0);
        if (code != 0) {
            throw new FmCalculationException(code);
        }
        long dataToken = _getExpressionResult();
        log.finer("dataToken = " + dataToken);
        FMData result = new FMData(dataToken);
        if (log.isLoggable(Level.FINE)) {
            log.fine("result is " + result);
        }
        return result;
    }

    /**
     * A field's value, as the Java type its field type stands for (text a
     * String, number a BigDecimal, date, time and timestamp a Date, container
     * the FMData). The field is named as a host calculation names it, with
     * its table: "Invoices::ID".
     */
    public Object getFieldValue(String filename, String fieldName) throws FmCalculationException {
        if (filename == null) {
            throw new NullPointerException("filename must not be null.");
        }
        log.info("Getting field value for filename " + filename + ", fieldname " + fieldName);
        String typeText;
        try {
            typeText = evaluateExpression("FieldType(\"" + filename + "\" ; \"" + fieldName + "\")").getStringData();
        } catch (FmCalculationException | RuntimeException e) {
            throw new RuntimeException("Unknown field '" + fieldName + "'.  You must pass a \"table::field\""
                + " fieldname to the FMPro.getFieldValue function", e);
        }
        log.info(typeText);
        FMData value = evaluateExpression(fieldName);
        int first = typeText.indexOf(' ');
        String typeName = typeText.substring(first + 1, typeText.indexOf(' ', first + 1));
        Class<?> javaClass = FMType.classForFMType(typeName);
        try {
            Converter converter = FMType.converterForClass(javaClass);
            return converter.convertData(value, javaClass);
        } catch (FMType.UnsupportedTypeConversionException e) {
            log.log(Level.WARNING, "Unable to convert " + value + " to " + javaClass, e);
            return value.getStringData();
        }
    }

    /** SQL through the host's optional SQL library, which this system does not load: it fails. */
    public FMData executeSql(String sql) throws FmCalculationException {
        log.config("executeSql: " + sql);
        try {
            short code = SqlBridge.executeSql(sql, cCurrentEnv);
            log.config("java 1");
            if (code != 0) {
                throw new FmCalculationException(code);
            }
            log.config("java 2");
            long dataToken = SqlBridge.getSqlResult();
            log.config("java 3");
            log.finer("dataToken = " + dataToken);
            FMData result = new FMData(dataToken);
            log.fine("result is " + result);
            return result;
        } catch (UnsatisfiedLinkError e) {
            String message = "Could not call executeSql because the optional SQL library is not loaded.";
            log.log(Level.WARNING, message, e);
            throw new RuntimeException(message, e);
        }
    }

    /** Starts a host script; a failure is also kept in the ScriptCall. */
    public void triggerScript(ScriptCall script) throws FmScriptException {
        try {
            triggerScript(script.getFilename(), script.getScriptName(), script.getScriptControl(), script.getParams());
        } catch (FmScriptException e) {
            script.setExecutionException(e);
            throw e;
        }
    }

    private void triggerScript(String filename, String scriptname, int currentScriptSettings, FMType parameter)
        throws FmScriptException {
        if (filename == null) {
            throw new NullPointerException("filename must not be null.");
        }
        long token = 0;
        if (parameter != null) {
            FMData value = new FMData();
            parameter.writeToData(value);
            token = value.getCToken();
        }
        short code = _triggerScript(filename, scriptname, currentScriptSettings, token, cStartScript);
        if (code != 0) {
            throw new FmScriptException(code, filename, scriptname);
        }
    }

    /** Not available: the host's font list is not reachable from here. */
    public String getFontName(FMText text, short fontId) {
        throw new AbstractMethodError("This feature has not been implemented yet.");
    }

    private native short _evaluateExpression(String expression, long cCurrentEnv, long envCallback,
        boolean useCallback);

    private native long _getExpressionResult();

    private native short _triggerScript(String filename, String scriptname, int currentScriptSettings,
        long paramToken, long cStartScript);

    private native String _getFontName(long textToken, short fontId);

    public void dumpDebugInfo() {
        log.info("unsafe calls: " + unsafeCalls + "\ncStartScript: " + cStartScript + "\ncCurrentEnv: " + cCurrentEnv);
    }

    @Override
    public String toString() {
        return "PluginContext{theBridge=" + theBridge + ", thePlugin=" + thePlugin + "}";
    }
}
