package com.tessal.veskor;

import java.util.logging.Logger;

/**
 * One host call in progress, as plug-in code sees it: the bridge and the
 * plug-in, the host's flags and call-backs for the call, and the thread that
 * delivered it. A function call carries the native token of its calculation
 * environment; start-up, idle, shutdown and preferences carry the host's
 * current-environment call-back instead.
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

    public void dumpDebugInfo() {
        log.info("unsafe calls: " + unsafeCalls + "\ncStartScript: " + cStartScript + "\ncCurrentEnv: " + cCurrentEnv);
    }

    @Override
    public String toString() {
        return "PluginContext{theBridge=" + theBridge + ", thePlugin=" + thePlugin + "}";
    }
}
