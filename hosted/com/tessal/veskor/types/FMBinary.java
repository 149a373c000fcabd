package com.tessal.veskor.types;

/**
 * Host container data (a BinaryData with typed byte streams), named by its
 * native token: a copy read from a value, or a container made here. Either
 * is deleted by the release pass at the end of the function call or idle
 * cycle that made it, so it must be written into a value (writeToData)
 * before then.
 *
 * This is the part the natives stand behind; building containers from
 * files, URLs, bytes and images, their streams and their stored file names
 * come with the container values.
 */
public class FMBinary extends FMType {
    protected final long cToken;
    private final FMData fmData;

    /** A new empty host container. */
    public FMBinary() {
        this.cToken = _createBinary();
        this.fmData = null;
    }

    /** Wraps a container token; fmData is the value it was read from, or null. */
    public FMBinary(long cToken, FMData fmData) {
        this.cToken = cToken;
        this.fmData = fmData;
    }

    long cToken() {
        return cToken;
    }

    FMData getFmData() {
        return fmData;
    }

    /** All streams together, in bytes. */
    public long getTotalSize() {
        return _getTotalSize(cToken);
    }

    public boolean isReference() {
        return false;
    }

    /** The host value becomes a copy of this container. */
    @Override
    public void writeToData(FMData destination) {
        destination.setFMBinary(this);
    }

    /** The default object description: a container has no text of its own here. */
    @Override
    public String getAsString() {
        return super.toString();
    }

    /** True only for {@code FMBinary} itself. */
    public static boolean canConvertTo(Class<?> targetClass) {
        return targetClass == FMBinary.class;
    }

    static void registerConverters() {
        FMType.addConverter(new FMBinaryConverter());
    }

    /** {@code FMBinary}: a copy of the value's container data; null for an empty value. */
    static final class FMBinaryConverter implements Converter {
        @Override
        public boolean canConvertTo(Class<?> targetClass) {
            return FMBinary.canConvertTo(targetClass);
        }

        @Override
        public Object convertData(FMData param, Class<?> targetClass) {
            return param.isEmpty() ? null : param.getFMBinary();
        }
    }

    // Natives behind this class; the receiving object is unused and the first
    // argument is the BinaryData token where there is one. Stream types are
    // four-character codes (see com.tessal.veskor.QuadChar).
    native long _createBinary();

    native int _getStreamCount(long token);

    native long _getTotalSize(long token);

    native String _getTypeForIndex(long token, int index);

    native int _getSize(long token, int index);

    /** Reads amount bytes of the stream from offset into destination from its index 0. */
    native void _getData(long token, int index, int offset, int amount, byte[] destination);

    native void _addStream(long token, String type, int amount, byte[] source);

    native void _removeStream(long token, String type);

    native void _removeAllStreams(long token);
}
