package com.tessal.veskor;

/**
 * The host could not start a script. For the two codes a user meets most
 * (no such script, no such file) the message names what was missing.
 */
public class FmScriptException extends FMException {
    private static final long serialVersionUID = 1L;

    /** The host's code for a script that does not exist. */
    public static final int SCRIPT_MISSING = 104;
    /** The host's code for a file that is not open. */
    public static final int FILE_MISSING = 100;

    private final String filename;
    private final String scriptname;

    public FmScriptException(int errorCode) {
        super(errorCode);
        this.filename = null;
        this.scriptname = null;
    }

    public FmScriptException(int errorCode, String errorMessage) {
        super(errorCode, errorMessage);
        this.filename = null;
        this.scriptname = null;
    }

    /** The message stays the code; getMessage names the script or file for codes 104 and 100. */
    public FmScriptException(int errorCode, String filename, String scriptname) {
        super(errorCode);
        this.filename = filename;
        this.scriptname = scriptname;
    }

    public String getFilename() {
        return filename;
    }

    public String getScriptname() {
        return scriptname;
    }

    @Override
    public String getMessage() {
        if (getErrorCode() == SCRIPT_MISSING && scriptname != null) {
            return "Error 104: There is no script named '" + scriptname + "' in file '" + filename + "'";
        }
        if (getErrorCode() == FILE_MISSING && filename != null) {
            return "Error 100: There is no file open named '" + filename + "'";
        }
        return super.getMessage();
    }
}
