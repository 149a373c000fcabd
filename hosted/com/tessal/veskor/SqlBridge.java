package com.tessal.veskor;

/**
 * SQL run by the host itself, through an optional native library that
 * nothing in this system loads: every call fails with the VM's
 * unsatisfied-link error until such a library is there.
 */
public final class SqlBridge {
    private SqlBridge() {
    }

    /** The host's error code, 0 for success. */
    public static short executeSql(String sql, long environment) {
        if (sql == null) {
            throw new IllegalArgumentException("A null value was passed to executeSql");
        }
        return _executeSql(sql, environment);
    }

    /** The token of the value holding the last result; valid until the next release pass. */
    public static long getSqlResult() {
        return _getSqlResult();
    }

    private static native short _executeSql(String sql, long environment);

    private static native long _getSqlResult();
}
