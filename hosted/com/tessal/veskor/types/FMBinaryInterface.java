package com.tessal.veskor.types;

import com.tessal.veskor.PluginContext;
import com.tessal.veskor.QuadChar;
import java.io.FileNotFoundException;
import java.io.InputStream;
import java.util.List;

/**
 * A container value as plug-in code reads it: stored data (typed byte
 * streams, {@link FMBinary}) or a reference to a file outside the database
 * ({@link FileReference}).
 */
public interface FMBinaryInterface {
    /** The types of the streams, in the container's order. */
    List<QuadChar> getStreamTypes();

    /** The type of the stream that best stands for the content, or null. */
    QuadChar getBestQuadChar();

    /** A stream over the best stream's bytes, or null. */
    InputStream getBestInputStream();

    /** The container's text: its reference text or stored file name. */
    String asString();

    InputStream getStreamForType(QuadChar type);

    /** All streams together, in bytes. */
    long getTotalSize();

    void setSoundData(byte[] soundData);

    /** Adds a stream, replacing one of the same type. */
    void addDataStream(byte[] data, QuadChar type);

    /** The stored file name, or null. */
    String getFileName();

    short getWidth();

    short getHeight();

    boolean isReference();

    /** The best stream with its name and length. */
    InputStreamInfo getInputStreamInfo(PluginContext context) throws FileNotFoundException;
}
