package com.tessal.veskor;

/** Work that must run on the FileMaker thread, inside a host call (see PluginBridge.queueFileMakerOperation). */
public interface FileMakerOperation {
    void run(PluginContext context);
}
