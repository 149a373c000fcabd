package com.tessal.veskor;

import com.tessal.laf.WindowsFontPatch;
import com.tessal.veskor.types.FMData;
import com.tessal.veskor.types.FMType;
import java.awt.EventQueue;
import java.awt.Frame;
import java.awt.GraphicsConfiguration;
import java.awt.GraphicsEnvironment;
import java.awt.Toolkit;
import java.awt.Window;
import java.awt.event.InvocationEvent;
import java.io.File;
import java.io.IOException;
import java.lang.reflect.Field;
import java.lang.reflect.Method;
import java.lang.reflect.Modifier;
import java.util.ArrayDeque;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.Deque;
import java.util.HashMap;
import java.util.LinkedList;
import java.util.List;
import java.util.Map;
import java.util.jar.Attributes;
import java.util.jar.JarFile;
import java.util.jar.Manifest;
import java.util.logging.FileHandler;
import java.util.logging.Level;
import java.util.logging.LogManager;
import java.util.logging.Logger;
import java.util.logging.SimpleFormatter;
import javax.swing.UIManager;

/**
 * The hosted side's one entry object. The native side makes it with
 * sharedInstance and forwards the host's messages to fmxInit, fmxIdle,
 * fmxShutdown and fmxDoAppPreferences, and every call of a registered
 * function to doFunction. Around the plug-in it sets up the security
 * manager, the hosted log, the function table, the call contexts and the
 * queue through which other threads get work done on the FileMaker thread.
 *
 * Host calls reach the bridge one at a time: the native side holds one
 * re-entrant lock for each host call, so a nested call (from the thread
 * already inside one) is the only way two calls overlap.
 */
public final class PluginBridge {
    public static final short FM_PRO = 0;
    public static final short FM_DEVELOPER = 1;
    public static final short FM_RUNTIME = 2;
    public static final short FM_SERVER = 3;
    public static final short FM_WEB = 4;
    public static final short FM_MOBILE = 5;

    public static final short IDLESTATE_IDLE = 0;
    public static final short IDLESTATE_NOTIDLE = 1;
    public static final short IDLESTATE_SCRIPT_PAUSED = 2;
    public static final short IDLESTATE_SCRIPT_RUNNING = 3;
    public static final short IDLESTATE_UNSAFE = 4;

    public static final short SCRIPT_HALT = 0;
    public static final short SCRIPT_EXIT = 1;
    public static final short SCRIPT_RESUME = 2;
    public static final short SCRIPT_PAUSE = 3;

    public static final short VERSION_40 = 11;
    public static final short VERSION_41 = 12;
    public static final short VERSION_50 = 14;
    public static final short VERSION_60 = 17;
    public static final short VERSION_70 = 50;
    public static final short VERSION_80 = 51;
    public static final short VERSION_CURRENT = 51;
    public static final short VERSION_MIN = 4;
    public static final short VERSION_MAX = 255;

    public static final short BAD_VERSION = -1;
    public static final short DO_NOT_ENABLE = -2;

    public static final Level DEFAULT_LOG_LEVEL = Level.CONFIG;
    public static final String CR = System.getProperty("line.separator");

    private static final Logger log = Logger.getLogger(PluginBridge.class.getName());
    private static final String WINDOWS_LOOK = "com.sun.java.swing.plaf.windows.WindowsLookAndFeel";
    private static final String EMBEDDED_FRAME = "sun.awt.windows.WEmbeddedFrame";
    private static final String[] IDLE_THREAD_NAMES = {"AWT-AppKit", "Thread-0", "main"};
    private static final int CALLS_PER_COLLECTION = 10000;

    private static PluginBridge sharedInstance;
    private static String pluginClassName;
    private static String bundlePath;
    private static String bridgeVersion;
    private static File pluginFile;
    private static short applicationType;
    private static volatile boolean isRunningInFilemaker;
    private static volatile long frontWindowRef;
    private static File logFile;
    // Held so that its level, once set, stays: the log manager keeps loggers weakly.
    private static Logger rootPluginLogger;
    private static FileHandler logHandler;
    private static boolean securityManagerReported;

    private Thread mainThread;
    private short apiVersion;
    private long instanceID;
    private final Plugin thePlugin;
    private boolean hasBeenInitialized;
    private boolean isAwtInitialized;

    private final List<PluginFunction> functionsToRegister = new ArrayList<>();
    private final Map<Short, PluginFunction> functionIDMap = new HashMap<>();
    private final Object fmInvocationLock = new Object();
    private final Deque<PluginContext> currentContextStack = new ArrayDeque<>();
    // Pushes so far and the latest context pushed: a waiting thread gets the
    // context of a call that began while it waited, even if that call ended
    // before the thread could look.
    private long pushCount;
    private PluginContext lastPushed;
    // Threads waiting in getCurrentContext: a push wakes them only when there are any.
    private int contextWaiters;
    private int callCounter;
    private final LinkedList<FileMakerOperation> operationQueue = new LinkedList<>();

    // ---- natives of the plug-in library ----------------------------------------
    private native void _startEventLoop();

    private native void _stopEventLoop();

    private static native long _getFrontWindowReference();

    private static native long _setWindowParent(long child, long parent);

    private static native int[] _getClipboardFormatsWin();

    private static native byte[] _getClipboardData(int format);

    private static native void _setClipboardData(int format, byte[] data);

    private static native String[] _getClipboardFormatsMac();

    private static native byte[] _getClipboardDataMac(String format);

    private static native void _setClipboardDataMac(String format, byte[] data);

    private native void _registerFunction(String pluginId, short functionId, String bundlePath, String name,
        String prototype, int minArgs, int maxArgs, int flags);

    // ---- construction ---------------------------------------------------------------

    /** The bridge for the plug-in class named in the archive's manifest, with the process-wide set-up. */
    private PluginBridge(Class<?> pluginClass) {
        installSecurityManager();
        this.thePlugin = instantiate(pluginClass);
        if (thePlugin != null) {
            thePlugin.setPluginBridge(this);
        }
    }

    /**
     * A bridge around a plug-in object, without the process-wide set-up (no
     * security manager, no log file): for code that drives a plug-in through
     * the bridge itself.
     */
    PluginBridge(Plugin plugin) {
        this.thePlugin = plugin;
        plugin.setPluginBridge(this);
    }

    private static Plugin instantiate(Class<?> pluginClass) {
        try {
            return (Plugin) pluginClass.getDeclaredConstructor().newInstance();
        } catch (ReflectiveOperationException | ClassCastException e) {
            log.log(Level.SEVERE, e.toString(), e);
            return null;
        }
    }

    /**
     * Installs the security manager once per process. A runtime that refuses
     * it (another manager is in place, or the runtime no longer lets anyone
     * install one: from Java 18 on by default, from 24 on always) leaves
     * construction to go on; the refusal of the runtime is logged once.
     */
    @SuppressWarnings("removal")
    private static void installSecurityManager() {
        try {
            System.setSecurityManager(new PluginSecurityManager());
            log.info("Vantorel custom SecurityManager has been installed");
        } catch (SecurityException e) {
            // One is installed already (an earlier bridge's): nothing to say.
        } catch (UnsupportedOperationException e) {
            if (!securityManagerReported) {
                securityManagerReported = true;
                log.log(Level.CONFIG, "This Java runtime does not allow a security manager: {0}", e.getMessage());
            }
        }
    }

    /**
     * The one bridge, made on the first call from the bundle path (the plug-in
     * library's path, ";", the archive's path), the native side's bridge
     * version, the application type and the native log's path. Later calls
     * return it and ignore their arguments.
     */
    public static synchronized PluginBridge sharedInstance(String bundlePathString, String bridgeVersion,
        short applicationType, String logpath) {
        if (sharedInstance != null) {
            return sharedInstance;
        }
        PluginBridge.applicationType = applicationType;
        PluginBridge.bundlePath = bundlePathString;
        PluginBridge.bridgeVersion = bridgeVersion;
        initLogging(logpath);
        try {
            String bundle = bundlePathString;
            String archive = null;
            int split = bundlePathString.indexOf(';');
            if (split > 0) {
                bundle = bundlePathString.substring(0, split);
                archive = bundlePathString.substring(split + 1);
            }
            File bundleFile = new File(bundle);
            if (!bundleFile.exists()) {
                throw new IllegalArgumentException("bundle path does not exist: " + bundleFile.getAbsolutePath());
            }
            if (bundleFile.getName().endsWith(".fmx")) {
                initWindows(bundleFile, new File(archive == null ? bundle : archive));
            } else if (bundleFile.isDirectory() && bundleFile.getName().equalsIgnoreCase("Resources")) {
                throw new UnsupportedOperationException("The Mac bundle layout is not supported: " + bundlePathString);
            } else {
                String message = "Unknown bundlePath format '" + bundlePathString
                    + "' -- should end in '.fmx' or 'Resources'.";
                log.severe(message);
                throw new IllegalArgumentException(message);
            }
            log.fine("PluginBridge loaded successfully");
        } catch (ClassNotFoundException e) {
            String message = "Unable to locate current directory context, or could not load plugin class: "
                + e.getMessage();
            log.log(Level.SEVERE, message, e);
            throw new RuntimeException(message, e);
        } catch (RuntimeException | Error e) {
            log.log(Level.SEVERE, e.toString(), e);
            throw e;
        }
        if (sharedInstance == null) {
            log.severe("PluginBridge initialization failed");
        }
        return sharedInstance;
    }

    private static void initWindows(File bundle, File archive) throws ClassNotFoundException {
        log.fine("Initializing WIN plugin");
        log.log(Level.CONFIG, "Loading dynamic library at {0}", bundle.getAbsolutePath());
        System.load(bundle.getAbsolutePath());
        log.log(Level.CONFIG, "Loading plugin jar at {0}", archive.getAbsolutePath());
        String className = getPluginClassNameForPluginJar(archive);
        Class<?> pluginClass = Class.forName(className, true, PluginBridge.class.getClassLoader());
        sharedInstance = new PluginBridge(pluginClass);
        pluginFile = bundle;
    }

    /** The plug-in class the archive's manifest names: "pluginClassName", else "main-class". */
    static String getPluginClassNameForPluginJar(File archive) {
        if (pluginClassName == null) {
            log.fine("Reading Manifest file to determine plugin className");
            try (JarFile jar = new JarFile(archive, true)) {
                Manifest manifest = jar.getManifest();
                Attributes main = manifest == null ? new Attributes() : manifest.getMainAttributes();
                String name = main.getValue("pluginClassName");
                pluginClassName = name != null ? name : main.getValue("main-class");
            } catch (IOException e) {
                String message = "Unable to parse manifest data from " + archive;
                log.log(Level.SEVERE, message, e);
                throw new RuntimeException(message, e);
            }
        }
        log.log(Level.CONFIG, "Loading Plugin class named {0}", pluginClassName);
        return pluginClassName;
    }

    /**
     * Sends the hosted log to the native log file (or, without one, to a
     * temporary file): a plain-text handler on the root logger, and the level
     * of "com.tessal" at CONFIG unless the logging configuration sets it.
     */
    private static void initLogging(String logpath) {
        try {
            if (logpath != null) {
                logFile = new File(logpath);
            } else {
                try {
                    logFile = File.createTempFile("VntPluginLog", ".log");
                } catch (IOException e) {
                    logFile = new File("/VntPluginLog.log");
                    log.log(Level.SEVERE,
                        "Could not create a log file. logpath param is null. Will write to " + logFile, e);
                }
            }
            String configured = LogManager.getLogManager().getProperty("com.tessal.level");
            rootPluginLogger = Logger.getLogger("com.tessal");
            if (configured == null) {
                rootPluginLogger.setLevel(DEFAULT_LOG_LEVEL);
            }
            if (!logFile.canWrite() && !(logFile.getParentFile() != null && logFile.getParentFile().canWrite()
                && !logFile.exists())) {
                log.severe("Cannot write to provided log path: " + logFile);
                return;
            }
            openLogHandler();
            rootPluginLogger.config("Will write normal log file to " + logFile);
        } catch (IOException | RuntimeException e) {
            log.log(Level.SEVERE, "Couldn't create veskor log file.", e);
        }
    }

    private static synchronized void openLogHandler() throws IOException {
        FileHandler handler = new FileHandler(logFile.getPath(), true);
        handler.setLevel(Level.ALL);
        handler.setFormatter(new SimpleFormatter());
        Logger.getLogger("").addHandler(handler);
        logHandler = handler;
    }

    /**
     * The native side starts its log file afresh after a shutdown, so the
     * handler lets go of the file at shutdown and opens it again at the next
     * start-up: the hosted lines go on into the new file.
     */
    private static synchronized void closeLogHandler() {
        if (logHandler != null) {
            Logger.getLogger("").removeHandler(logHandler);
            logHandler.close();
            logHandler = null;
        }
    }

    private static synchronized void reopenLogHandler() {
        if (logHandler != null || logFile == null) {
            return;
        }
        try {
            openLogHandler();
        } catch (IOException e) {
            log.log(Level.SEVERE, "Couldn't create veskor log file.", e);
        }
    }

    // ---- host messages --------------------------------------------------------------

    public short fmxInit(short apiVersion, String versionString, long instanceID, boolean unsafeCalls,
        long cStartScript, long cCurrentEnv) {
        if (log.isLoggable(Level.FINER)) {
            log.finer("fmxInit(" + apiVersion + ", " + applicationType + ", " + versionString + ", " + instanceID
                + ", " + unsafeCalls + ", " + cStartScript + ", " + cCurrentEnv + ")");
        }
        this.apiVersion = apiVersion;
        this.instanceID = instanceID;
        reopenLogHandler();
        if (apiVersion < VERSION_MIN || apiVersion > VERSION_MAX) {
            return BAD_VERSION;
        }
        try {
            if (!GraphicsEnvironment.isHeadless()) {
                useWindowsLook();
            }
            if (!hasBeenInitialized) {
                scanFunctions();
            }
            log.info("Creating shared PluginBridge instance / " + getSystemEnvironment());
            log.config("Initialize " + thePlugin.getName());
            PluginContext context = new PluginContext(this, thePlugin, unsafeCalls, cStartScript, cCurrentEnv, 0,
                Thread.currentThread());
            pushContext(context);
            try {
                thePlugin.setApplicationType(applicationType);
                if (!thePlugin.isVersionCompatible(apiVersion, applicationType)) {
                    return BAD_VERSION;
                }
                thePlugin.init(this);
                if (!hasBeenInitialized) {
                    registerAllFunctions();
                }
            } finally {
                popContext(context);
            }
        } catch (RuntimeException | Error e) {
            log.log(Level.SEVERE, "Could not initialize plugin", e);
            throw e;
        }
        hasBeenInitialized = true;
        isRunningInFilemaker = true;
        log.config("Return VERSION_CURRENT: " + VERSION_CURRENT);
        return VERSION_CURRENT;
    }

    /** The Windows look with its font patch, where the runtime has it (only on Windows). */
    private static void useWindowsLook() {
        try {
            UIManager.setLookAndFeel(WINDOWS_LOOK);
            WindowsFontPatch.patch();
        } catch (ReflectiveOperationException | javax.swing.UnsupportedLookAndFeelException e) {
            log.warning("Windows Look and Feel is not installed");
        }
    }

    public void fmxIdle(short idleState, boolean unsafeCalls, long cStartScript, long cCurrentEnv) {
        try {
            Thread current = Thread.currentThread();
            if (mainThread == null && Arrays.asList(IDLE_THREAD_NAMES).contains(current.getName())) {
                mainThread = current;
            }
            if (current != mainThread) {
                return;
            }
            PluginContext context = new PluginContext(this, thePlugin, unsafeCalls, cStartScript, cCurrentEnv, 0,
                current);
            pushContext(context);
            try {
                if (thePlugin instanceof IdleHandler) {
                    ((IdleHandler) thePlugin).doIdle(idleState);
                }
            } finally {
                popContext(context);
            }
        } catch (Throwable t) {
            log.log(Level.SEVERE, "Uncaught exception in idle handler", t);
        }
    }

    public void fmxShutdown(boolean unsafeCalls, long cStartScript, long cCurrentEnv) {
        PluginContext context = new PluginContext(this, thePlugin, unsafeCalls, cStartScript, cCurrentEnv, 0,
            Thread.currentThread());
        pushContext(context);
        try {
            thePlugin.shutdown();
            Thread[] threads = new Thread[Thread.activeCount()];
            int count = Thread.enumerate(threads);
            log.info("Shutting down - Active threads: " + Arrays.toString(Arrays.copyOf(threads, count)));
        } catch (RuntimeException | Error e) {
            log.log(Level.SEVERE, "Could not shut down plugin", e);
            throw e;
        } finally {
            popContext(context);
        }
        log.config("Shutting down PluginBridge");
        closeLogHandler();
    }

    public void fmxDoAppPreferences(boolean unsafeCalls, long cStartScript, long cCurrentEnv) {
        try {
            if (!(thePlugin instanceof Configurable)) {
                return;
            }
            frontWindowRef = _getFrontWindowReference();
            initAwt();
            EventQueue.invokeLater(() -> {
                log.log(Level.CONFIG, "Configuring {0}", thePlugin);
                PluginContext context = new PluginContext(this, thePlugin, unsafeCalls, cStartScript, cCurrentEnv,
                    0, Thread.currentThread());
                pushContext(context);
                try {
                    ((Configurable) thePlugin).configure();
                } catch (Throwable t) {
                    log.log(Level.SEVERE, "Error occurred while configuring plugin preferences", t);
                } finally {
                    popContext(context);
                }
            });
        } catch (Throwable t) {
            log.log(Level.SEVERE, "Unexpected exception while displaying preferences", t);
        }
    }

    // ---- functions --------------------------------------------------------------------

    /** Turns the plug-in's public FMType methods into functions and queues them for registration. */
    void scanFunctions() {
        log.log(Level.FINE, "{0} scanning functions", this);
        Class<?> pluginClass = thePlugin.getClass();
        for (Method method : MethodScanner.findFMFunctions(pluginClass)) {
            if (method.getName().equals("invokeFunction") || Modifier.isStatic(method.getModifiers())) {
                continue;
            }
            StaticFunction function;
            try {
                function = new StaticFunction(method);
            } catch (FMType.UnsupportedTypeConversionException e) {
                log.log(Level.WARNING, "Can't do conversions for at least one plugin function", e);
                continue;
            }
            applyPrototypeMethod(pluginClass, function);
            if (thePlugin.customizeFunction(function)) {
                queueFunction(function);
            }
        }
    }

    /**
     * The companion method name + "Prototype", when the plug-in has one,
     * gives the function's prototype. A result that is not a string fails the
     * scan (and with it the start-up).
     */
    private void applyPrototypeMethod(Class<?> pluginClass, StaticFunction function) {
        String methodName = function.getName() + "Prototype";
        Method companion;
        try {
            companion = pluginClass.getMethod(methodName);
        } catch (NoSuchMethodException e) {
            log.log(Level.FINE, "Couldn't find prototype method: {0}", methodName);
            return;
        }
        Object result;
        try {
            result = companion.invoke(thePlugin);
        } catch (ReflectiveOperationException | IllegalArgumentException e) {
            log.log(Level.WARNING, "Exception when scanning functions", e);
            return;
        }
        String prototype = (String) result;
        log.fine("Found prototype method named " + methodName + " which returned " + prototype);
        if (prototype != null) {
            function.setPrototype(prototype);
        }
    }

    private void queueFunction(PluginFunction function) {
        functionsToRegister.add(function);
    }

    void registerAllFunctions() {
        for (PluginFunction function : functionsToRegister) {
            registerFunction(function);
        }
    }

    /** Registers one function with the host now; the host calls it back through doFunction. */
    public void registerFunction(PluginFunction theFunction) {
        log.log(Level.FINE, "{0} registering {1}", new Object[] {this, theFunction});
        short id = theFunction.getFunctionID();
        PluginFunction earlier = functionIDMap.get(id);
        if (earlier != null) {
            log.warning("*** WARNING: function " + theFunction.getName() + " with ID " + id
                + " has already been registered with the function ID for " + earlier.getName() + ". "
                + theFunction.getName() + " will replace it in the function list.");
        }
        functionIDMap.put(id, theFunction);
        String prototype = theFunction.getPrototype();
        String signature = prototype.trim().isEmpty() ? theFunction.getName()
            : theFunction.getName() + "( " + prototype + " )";
        _registerFunction(thePlugin.getShortId().toString(), id, bundlePath, theFunction.getName(), signature,
            theFunction.getMinArgs(), theFunction.getMaxArgs(), theFunction.getFlags());
    }

    /** The functions found at start-up, in discovery order. */
    List<PluginFunction> getFunctions() {
        return new ArrayList<>(functionsToRegister);
    }

    // ---- calls --------------------------------------------------------------------------

    /**
     * One call of a registered function: binds the host's arguments, runs the
     * plug-in method in a context of its own (on the event thread for a GUI
     * function when there is a display) and writes its result into the
     * host's result value. 0 when the method ran (its own failure is a result
     * value), -3 for an unknown id, the code of an FMException, else -1.
     */
    public short doFunction(short functionID, long[] parameterTokens, long resultHolderCToken, boolean unsafeCalls,
        long cStartScript, long cCurrentEnv) {
        short result = 0;
        try {
            frontWindowRef = _getFrontWindowReference();
            PluginFunction function = functionIDMap.get(functionID);
            if (function == null) {
                throw new FMException(-3, "No function registered for code " + functionID);
            }
            if (log.isLoggable(Level.FINER)) {
                log.log(Level.FINER, "{0} will invoke function {1} with {2} arguments",
                    new Object[] {this, function, parameterTokens.length});
            }
            if (log.isLoggable(Level.FINEST)) {
                StringBuilder tokens = new StringBuilder();
                for (int i = 0; i < parameterTokens.length; i++) {
                    tokens.append(i == 0 ? "" : "; ").append('[').append(i).append("]=").append(parameterTokens[i]);
                }
                log.finest("Parameter tokens for call to " + function.getName() + ": " + tokens);
            }
            FMData[] raw = new FMData[parameterTokens.length];
            for (int i = 0; i < raw.length; i++) {
                raw[i] = new FMData(parameterTokens[i]);
            }
            Object[] params = function.convertParams(raw);
            Runnable task = () -> {
                Thread.currentThread().setContextClassLoader(PluginBridge.class.getClassLoader());
                FMType value = thePlugin.invokeFunctionNoErrors(function, params);
                boolean finer = log.isLoggable(Level.FINER);
                if (finer) {
                    log.log(Level.FINER, "Invocation successful; got result {0}", value);
                }
                if (value != null) {
                    value.writeToData(new FMData(resultHolderCToken));
                }
                if (finer) {
                    log.log(Level.FINER, "function {0} executed successfully, returning 0", function);
                }
            };
            PluginContext context = new PluginContext(this, thePlugin, unsafeCalls, cStartScript, 0, cCurrentEnv,
                Thread.currentThread());
            if (log.isLoggable(Level.FINER)) {
                log.log(Level.FINER, "Created new PluginContext {0}", context);
            }
            pushContext(context);
            try {
                runTask(task, function.isGuiFunction() && !GraphicsEnvironment.isHeadless());
            } finally {
                popContext(context);
            }
            if (++callCounter >= CALLS_PER_COLLECTION) {
                log.fine("Garbage collection");
                System.gc();
                callCounter = 0;
            }
        } catch (FMException e) {
            result = e.getErrorCode();
            logCallFailure("FMException: ", e);
        } catch (Throwable t) {
            result = -1;
            logCallFailure("Throwable: ", t);
        }
        return result;
    }

    /**
     * Logs why a call failed. The host must get the call's code whatever
     * happens here: when the line itself fails (the VM out of memory, say),
     * only the line is lost.
     */
    private static void logCallFailure(String kind, Throwable failure) {
        try {
            log.log(Level.SEVERE, kind + failure, failure);
        } catch (RuntimeException | Error lost) {
            // The code stands.
        }
    }

    /** Completed function calls since the last requested collection. */
    int getCallCounter() {
        return callCounter;
    }

    /**
     * Runs a task on this thread, or on the event thread while this thread
     * pumps its native messages until the task has finished; what the task
     * threw is thrown here.
     */
    private void runTask(Runnable task, boolean spawnEventLoop) throws Exception {
        if (!spawnEventLoop) {
            task.run();
            return;
        }
        Runnable wrapper = () -> {
            try {
                task.run();
            } finally {
                log.fine("<- Stopping event loop...");
                _stopEventLoop();
            }
        };
        initAwt();
        Toolkit toolkit = Toolkit.getDefaultToolkit();
        InvocationEvent event = new InvocationEvent(toolkit, wrapper, null, true);
        log.fine("-> Starting event loop...");
        toolkit.getSystemEventQueue().postEvent(event);
        _startEventLoop();
        Throwable failure = event.getThrowable();
        if (failure instanceof Exception) {
            throw (Exception) failure;
        }
        if (failure instanceof Error) {
            // Not swallowed: the call would look like a success without a result.
            throw (Error) failure;
        }
    }

    /** Brings the window system's toolkit up once, the host thread pumping its messages meanwhile. */
    private synchronized void initAwt() {
        if (isAwtInitialized) {
            return;
        }
        log.fine("initAwt called in Java");
        Thread starter = new Thread(() -> {
            try {
                Toolkit.getDefaultToolkit().getSystemEventQueue().peekEvent();
            } finally {
                log.fine("<- Stopping event loop...");
                _stopEventLoop();
            }
        }, "Vantorel toolkit start-up");
        starter.setDaemon(true);
        starter.start();
        log.fine("-> Starting event loop...");
        _startEventLoop();
        isAwtInitialized = true;
    }

    // ---- contexts and the operation queue ----------------------------------------------

    private void pushContext(PluginContext context) {
        synchronized (fmInvocationLock) {
            if (!currentContextStack.isEmpty()) {
                log.log(Level.WARNING, "pushContext called when stack size is " + currentContextStack.size()
                    + "; this either means it was called re-entrantly, an idle handler was called without waiting"
                    + " for a return from a previous call, or pop was not called from last invocation.",
                    new Exception("This is not an error, it's just a stack trace"));
            }
            currentContextStack.push(context);
            pushCount++;
            lastPushed = context;
            if (contextWaiters > 0) {
                fmInvocationLock.notifyAll();
            }
        }
        List<FileMakerOperation> operations;
        synchronized (operationQueue) {
            if (operationQueue.isEmpty()) {
                return;
            }
            operations = new ArrayList<>(operationQueue);
            operationQueue.clear();
        }
        for (FileMakerOperation operation : operations) {
            try {
                operation.run(context);
            } catch (Throwable t) {
                log.log(Level.SEVERE, "Unexpected error while calling queued FileMakerOperation", t);
            }
        }
        // The queuing threads wait for their operation to leave the queue and
        // this drain to end.
        synchronized (operationQueue) {
            operationQueue.notifyAll();
        }
    }

    /**
     * Removes a call's own context. Normally the top one; the preferences
     * task, which runs on the event thread, may end while a host call's
     * context lies above its own.
     */
    private void popContext(PluginContext context) {
        synchronized (fmInvocationLock) {
            if (currentContextStack.peek() == context) {
                currentContextStack.pop();
            } else {
                currentContextStack.removeFirstOccurrence(context);
            }
        }
    }

    /**
     * The context of the host call in progress; without one, waits for the
     * next host call and returns its context. Null when interrupted. The
     * preferences task runs on the event thread beside host calls, so the
     * innermost context that the calling thread delivered comes first; any
     * other thread (one of the plug-in's, or the event thread working for a
     * GUI function) gets the innermost context.
     */
    public PluginContext getCurrentContext() {
        synchronized (fmInvocationLock) {
            try {
                long seen = pushCount;
                while (currentContextStack.isEmpty() && pushCount == seen) {
                    contextWaiters++;
                    try {
                        fmInvocationLock.wait();
                    } finally {
                        contextWaiters--;
                    }
                }
                if (currentContextStack.isEmpty()) {
                    return lastPushed;
                }
                Thread current = Thread.currentThread();
                for (PluginContext context : currentContextStack) {
                    if (context.getFilemakerThread() == current) {
                        return context;
                    }
                }
                return currentContextStack.peek();
            } catch (InterruptedException e) {
                log.log(Level.WARNING, "Plugin was interrupted while waiting for context; returning null", e);
                Thread.currentThread().interrupt();
                return null;
            }
        }
    }

    /**
     * Runs an operation on the FileMaker thread inside a host call: at once
     * when called from that thread, else at the start of the next host call,
     * this thread waiting until it has run.
     */
    public void queueFileMakerOperation(FileMakerOperation runnable) throws InterruptedException {
        PluginContext context = getCurrentContext();
        if (context == null) {
            throw new InterruptedException("interrupted while waiting for a host call");
        }
        if (Thread.currentThread() == context.getFilemakerThread()) {
            runnable.run(context);
            return;
        }
        synchronized (operationQueue) {
            operationQueue.add(runnable);
            while (operationQueue.contains(runnable)) {
                operationQueue.wait();
            }
        }
    }

    // ---- windows --------------------------------------------------------------------------

    public static Frame createNativeFrame() {
        return createNativeFrame(true);
    }

    /**
     * An owner frame for dialogs over the host's window: with reparent, a
     * plain frame whose dialogs become children of the window that was in
     * front when the call began; without, a frame embedded in the host's
     * front window. Null before the plug-in has started; a plain frame where
     * the window system offers no embedding.
     */
    public static Frame createNativeFrame(boolean reparent) {
        if (!EventQueue.isDispatchThread()) {
            throw new IllegalStateException("Cannot create native frame from non-EDT " + Thread.currentThread());
        }
        if (!isRunningInFilemaker) {
            return null;
        }
        try {
            Class<?> embedded = Class.forName(EMBEDDED_FRAME);
            if (reparent) {
                return new ReparentingFrame();
            }
            long window = _getFrontWindowReference();
            log.fine("Native window reference is " + window);
            return (Frame) embedded.getConstructor(long.class).newInstance(window);
        } catch (Exception e) {
            log.log(Level.WARNING, "Could not create native Frame, just using regular java Frame instead", e);
            return new Frame();
        }
    }

    /** A frame whose dialogs become children of the host's front window once they have native peers. */
    private static final class ReparentingFrame extends Frame {
        private static final long serialVersionUID = 1L;

        @Override
        public GraphicsConfiguration getGraphicsConfiguration() {
            EventQueue.invokeLater(this::reparentDialogs);
            return super.getGraphicsConfiguration();
        }

        private void reparentDialogs() {
            for (Window owned : getOwnedWindows()) {
                if (!(owned instanceof java.awt.Dialog)) {
                    continue;
                }
                try {
                    owned.addNotify();
                    Field peerField = java.awt.Component.class.getDeclaredField("peer");
                    peerField.setAccessible(true);
                    Object peer = peerField.get(owned);
                    Field hwnd = Class.forName("sun.awt.windows.WComponentPeer").getDeclaredField("hwnd");
                    hwnd.setAccessible(true);
                    long handle = hwnd.getLong(peer);
                    log.fine("Setting parent for " + handle + " to " + frontWindowRef);
                    _setWindowParent(handle, frontWindowRef);
                } catch (ReflectiveOperationException e) {
                    throw new RuntimeException(e);
                }
            }
        }
    }

    // ---- clipboard ---------------------------------------------------------------------------

    public int[] getClipboardFormatsWin() {
        return _getClipboardFormatsWin();
    }

    public byte[] getClipboardData(int format) {
        return _getClipboardData(format);
    }

    public void setClipboardData(int format, byte[] data) {
        _setClipboardData(format, data);
    }

    public String[] getClipboardFormatsMac() {
        return _getClipboardFormatsMac();
    }

    public byte[] getClipboardData(String format) {
        return _getClipboardDataMac(format);
    }

    public void setClipboardDataMac(String format, byte[] data) {
        _setClipboardDataMac(format, data);
    }

    // ---- what the bridge knows -------------------------------------------------------------

    /** Bridge version, bundle path, Java runtime and operating system, one per line. */
    public String getSystemEnvironment() {
        return "plugin bridge version " + bridgeVersion + CR + "bundlePath: " + bundlePath + CR + "jvm version: "
            + System.getProperty("java.vm.version") + " from " + System.getProperty("java.home") + CR
            + "Operating system info: " + System.getProperty("os.name") + " " + System.getProperty("os.version")
            + " running on " + System.getProperty("os.arch") + " architecture";
    }

    public boolean isHeadless() {
        return GraphicsEnvironment.isHeadless();
    }

    public static File getLogFile() {
        return logFile;
    }

    public static File getPluginFile() {
        return pluginFile;
    }

    public long getInstanceID() {
        return instanceID;
    }

    public Plugin getThePlugin() {
        return thePlugin;
    }

    public short getApiVersion() {
        return apiVersion;
    }

    /** The host's application type code, as the native side passed it. */
    public static short getApplicationType() {
        return applicationType;
    }

    @Override
    public String toString() {
        return "PluginBridge{instanceID=" + instanceID + "}";
    }
}
