package com.tessal.veskor.testing;

/**
 * The test variant of the plug-in image, loaded into this VM: it binds the
 * natives of the value classes (which call the stand-in host library) and
 * offers these hooks around them. The image's path comes from the system
 * property vnt.testPlugin.
 */
public final class HostHooks {
    static {
        String plugin = System.getProperty("vnt.testPlugin");
        if (plugin == null || plugin.isEmpty()) {
            throw new IllegalStateException("Set -Dvnt.testPlugin to the test plug-in image");
        }
        System.load(plugin);
    }

    private HostHooks() {
    }

    /** Makes sure the image is loaded before a native of a value class is called. */
    public static void load() {
    }

    /** Deletes every registered host object, as the end of a host call does. */
    public static native void releasePass();

    /** Host objects now in the release registry. */
    public static native long registeredCount();

    /** Live host objects of a kind: Data, Text, CharacterStyle, BinaryData, FixPt, DateTime, QuadChar, Color... */
    public static native long liveCount(String kind);

    public static native long liveTotal();

    public static native String describeLive();

    public static native boolean isLive(long token);

    /** The named FM_ function fails with code after skip more successful calls. */
    public static native void injectFailure(String function, int code, int skip);

    public static native void clearFailures();

    /** A host value owned by the test, as the host owns call parameters and results. */
    public static native long newValue();

    /** Deletes a Data, Text, BinaryData or CharacterStyle. */
    public static native void deleteHostObject(String kind, long token);

    public static void deleteValue(long token) {
        deleteHostObject("Data", token);
    }

    public static native void setText(long token, String text);

    /** Sets a container as the host stores a file: a FILE stream of the bytes and its FNAM stream for the name. */
    public static native void setContainer(long token, String fileName, byte[] bytes);

    /** Sets a container that refers to a file by its reference text, such as image:pics/a.jpg. */
    public static native void setReference(long token, String reference);

    /** Sets a number from decimal text, such as 3000000000 or 0.1. */
    public static native void setNumber(long token, String decimal);

    /** Sets a timestamp: days since the host epoch (1970-01-01 is 719163) and seconds into the day. */
    public static native void setTimestamp(long token, int days, int secs);

    public static native void setDate(long token, int days);

    public static native void setTime(long token, long secs);

    /** The host's own text form of a value, such as 2/29/2008 13:05:09. */
    public static native String textOf(long token);

    /** Red, green, blue and alpha of a host style. */
    public static native int[] colorOf(long styleToken);

    // The natives the hosted classes export without declaring them.
    public static native void setTimeValue(long dataToken, long seconds);

    public static native long getTimeValue(long dataToken);

    public static native String getUnicodeString(long binaryToken, int index);

    public static native int getColor(long styleToken);
}
