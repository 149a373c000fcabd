package com.tessal.veskor;

import com.tessal.veskor.types.FMType;

/** A host script to start: its file and name, an optional parameter, and what becomes of a script already running. */
public class ScriptCall {
    private final String filename;
    private final String scriptName;
    private final FMType params;
    private int scriptControl = PluginBridge.SCRIPT_PAUSE;
    private FmScriptException executionException;
    private Object userInfo;

    public ScriptCall(String filename, String scriptName, FMType params) {
        if (filename == null) {
            throw new NullPointerException("filename must not be null.");
        }
        if (scriptName == null) {
            throw new NullPointerException("scriptName must not be null.");
        }
        this.filename = filename;
        this.scriptName = scriptName;
        this.params = params;
    }

    public String getFilename() {
        return filename;
    }

    public String getScriptName() {
        return scriptName;
    }

    public FMType getParams() {
        return params;
    }

    /** One of PluginBridge's SCRIPT_ constants; pause (3) unless set. */
    public int getScriptControl() {
        return scriptControl;
    }

    public void setScriptControl(int scriptControl) {
        this.scriptControl = scriptControl;
    }

    /** Why the trigger failed, or null. */
    public FmScriptException getExecutionException() {
        return executionException;
    }

    void setExecutionException(FmScriptException executionException) {
        this.executionException = executionException;
    }

    public Object getUserInfo() {
        return userInfo;
    }

    public void setUserInfo(Object userInfo) {
        this.userInfo = userInfo;
    }

    @Override
    public String toString() {
        return "script '" + scriptName + "' in file '" + filename + "' with parameter '" + params + "'";
    }
}
