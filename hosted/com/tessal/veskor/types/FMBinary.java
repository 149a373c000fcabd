package com.tessal.veskor.types;

import com.tessal.veskor.PluginContext;
import com.tessal.veskor.PluginUtils;
import com.tessal.veskor.QuadChar;
import com.tessal.veskor.unicode.IllegalInputException;
import java.awt.Dimension;
import java.awt.image.BufferedImage;
import java.io.BufferedInputStream;
import java.io.ByteArrayOutputStream;
import java.io.File;
import java.io.FileInputStream;
import java.io.IOException;
import java.io.InputStream;
import java.net.URL;
import java.nio.ByteBuffer;
import java.util.ArrayList;
import java.util.Collections;
import java.util.List;
import java.util.Objects;
import java.util.logging.Level;
import java.util.logging.Logger;

/**
 * Host container data (a BinaryData with typed byte streams), named by its
 * native token: a copy read from a value, or a container made here. Either
 * is deleted by the release pass at the end of the function call or idle
 * cycle that made it, so it must be written into a value (writeToData)
 * before then.
 *
 * The factories build containers from files, URLs, bytes and images: an
 * image gets its own stream, a SIZE stream and, unless it is a JPEG or GIF,
 * a JPEG rendering; anything else is one FILE stream. Every one stores its
 * file name in an FNAM stream.
 */
public class FMBinary extends FMType implements FMBinaryInterface {
    private static final Logger LOG = Logger.getLogger(FMBinary.class.getName());

    /** Image sides above this do not fit the SIZE stream. */
    private static final int MAX_IMAGE_SIDE = Short.MAX_VALUE;
    private static final int READ_PIECE = 8192;
    /** Stream types in order of preference for the best stream. */
    private static final List<QuadChar> PREFERRED_TYPES = List.of(QuadChar.ImageTIFF, QuadChar.ImagePDF,
        QuadChar.ImagePICT, QuadChar.ImageGIF, QuadChar.ImagePng, QuadChar.FileData, QuadChar.ImageJPEG);

    protected final long cToken;
    private final FMData fmData;
    /** The stream types in container order; null until asked for and after every change. */
    private List<QuadChar> streamTypes;

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

    /** A container holding the file's bytes, named after the file. */
    public static FMBinary fmBinaryForFile(File file) throws IOException {
        return fmBinaryForFile(file, file.getName());
    }

    /** A container holding the file's bytes under the name (the file's own when null). */
    public static FMBinary fmBinaryForFile(File file, String filename) throws IOException {
        String name = filename == null ? file.getName() : filename;
        LOG.info("Creating container for file " + file);
        try (InputStream in = new FileInputStream(file)) {
            return fmBinaryForData(in, name, null);
        }
    }

    /** A container holding what the URL delivers, with the name and content type its connection reports. */
    public static FMType fmBinaryForUrl(URL url) throws IOException {
        InputStreamInfo info = PluginUtils.getInputStreamInfoForUrl(url);
        try (InputStream in = new BufferedInputStream(info.getStream())) {
            return fmBinaryForData(in, info.getName(), info.getContentType());
        }
    }

    public static FMBinary fmBinaryForData(InputStream in, String filename) throws IOException {
        return fmBinaryForData(in, filename, null);
    }

    /** A container holding the rest of the stream; the stream is not closed. */
    public static FMBinary fmBinaryForData(InputStream in, String filename, String optionalContentType)
        throws IOException {
        ByteArrayOutputStream bytes = new ByteArrayOutputStream();
        byte[] piece = new byte[READ_PIECE];
        for (int n; (n = in.read(piece)) != -1;) {
            bytes.write(piece, 0, n);
        }
        return fmBinaryForData(bytes.toByteArray(), filename, optionalContentType);
    }

    /**
     * A container holding the bytes under the file name. The type comes from
     * the content type if it names one, else from the name's extension. An
     * image that can be measured gets image streams; a PICT that cannot is a
     * PICT stream, anything else a FILE stream (so a PDF is a FILE stream).
     */
    public static FMBinary fmBinaryForData(byte[] bytes, String filename, String optionalContentType) {
        QuadChar type = optionalContentType == null ? null : QuadChar.forMimeType(optionalContentType);
        if (type == null) {
            type = QuadChar.forFilename(filename);
        }
        FMBinary binary = new FMBinary();
        Dimension size = null;
        if (type.isImage()) {
            try {
                size = ContainerImages.measure(bytes);
            } catch (IOException | RuntimeException e) {
                LOG.log(Level.WARNING, "Could not calculate image dimensions for " + filename, e);
            }
        }
        if (size != null) {
            LOG.fine("Returning " + type + " image with dimensions " + size.getWidth() + "x" + size.getHeight());
            binary.addImageData(null, bytes, (short) size.width, (short) size.height, type);
        } else {
            binary.addDataStream(bytes, type == QuadChar.ImagePICT ? QuadChar.ImagePICT : QuadChar.FileData);
        }
        binary.setFileName(filename);
        return binary;
    }

    /**
     * A container holding the image encoded in the format of the name's
     * extension; a null or empty name is "image", and a name without an
     * extension gets ".jpg". Null for a null image.
     */
    public static FMBinary fmBinaryForImage(BufferedImage image, String filename) throws IOException {
        if (image == null) {
            return null;
        }
        if (image.getWidth() > MAX_IMAGE_SIDE || image.getHeight() > MAX_IMAGE_SIDE) {
            throw new IllegalArgumentException("Image dimension(s) exceed maximum of 32767 pixels");
        }
        String name = filename == null || filename.isEmpty() ? "image" : filename;
        if (name.indexOf('.') < 0) {
            name = name + ".jpg";
        }
        QuadChar type = QuadChar.forFilename(name);
        if (!type.isImage()) {
            throw new IllegalArgumentException("File " + name + " is not an image");
        }
        byte[] encoded = ContainerImages.encode(image, name.substring(name.lastIndexOf('.') + 1));
        FMBinary binary = new FMBinary();
        binary.setFileName(name);
        binary.addImageData(image, encoded, (short) image.getWidth(), (short) image.getHeight(), type);
        return binary;
    }

    /**
     * Adds the image's bytes as a stream of its type and, when both are above
     * 0, its width and height as the SIZE stream. An image other than JPEG or
     * GIF also gets a JPEG rendering on white (decoded from the bytes when no
     * image is given), which brings its own SIZE stream.
     */
    public void addImageData(BufferedImage image, byte[] data, short width, short height, QuadChar type) {
        addDataStream(data, type);
        if (width > 0 && height > 0) {
            addDataStream(sizeBytes(width, height), QuadChar.ImageSize);
        }
        if (type == QuadChar.ImageJPEG || type == QuadChar.ImageGIF) {
            return;
        }
        BufferedImage picture = image != null ? image : ContainerImages.decode(data);
        byte[] jpeg = null;
        if (picture != null) {
            LOG.fine("Adding additional image data by converting from " + type + " to JPEG");
            try {
                jpeg = ContainerImages.jpegOnWhite(picture);
            } catch (IOException | RuntimeException e) {
                LOG.log(Level.FINE, "JPEG encoding failed: " + e, e);
            }
        }
        if (jpeg == null) {
            LOG.warning("Unable to generate JPEG representation of image " + type);
            return;
        }
        addImageData(picture, jpeg, (short) picture.getWidth(), (short) picture.getHeight(), QuadChar.ImageJPEG);
    }

    private static byte[] sizeBytes(short width, short height) {
        return ByteBuffer.allocate(4).putShort(width).putShort(height).array();
    }

    /** Adds the bytes as a stream of the type, replacing a stream of that type. */
    @Override
    public void addDataStream(byte[] data, QuadChar type) {
        Objects.requireNonNull(data, "data must not be null.");
        String code = type.toString();
        if (getStreamTypes().contains(type)) {
            _removeStream(cToken, code);
        }
        streamTypes = null;
        _addStream(cToken, code, data.length, data);
    }

    /** Adds the bytes as the sound ("snd ") stream. */
    @Override
    public void setSoundData(byte[] soundData) {
        addDataStream(soundData, QuadChar.Sound);
    }

    /** The stream types in container order (codes without MIME types). */
    @Override
    public List<QuadChar> getStreamTypes() {
        if (streamTypes == null) {
            int count = _getStreamCount(cToken);
            List<QuadChar> types = new ArrayList<>(count);
            for (int i = 0; i < count; i++) {
                types.add(new QuadChar(_getTypeForIndex(cToken, i)));
            }
            streamTypes = Collections.unmodifiableList(types);
        }
        return streamTypes;
    }

    /**
     * The first of TIFF, PDF, PICT, GIF, PNG, FILE and JPEG that the container
     * holds; else its first stream that is no file name or resource fork;
     * else null.
     */
    @Override
    public QuadChar getBestQuadChar() {
        List<QuadChar> types = getStreamTypes();
        for (QuadChar preferred : PREFERRED_TYPES) {
            if (types.contains(preferred)) {
                return preferred;
            }
        }
        for (QuadChar type : types) {
            if (!type.equals(QuadChar.FileName) && !type.equals(QuadChar.ResourceFork)) {
                return type;
            }
        }
        return null;
    }

    /**
     * The best stream, or null when there is none. (A container read from
     * an empty value has none; one made here is read like any other.)
     */
    @Override
    public FMContainerInputStream getBestInputStream() {
        if (fmData != null && fmData.isEmpty()) {
            return null;
        }
        QuadChar best = getBestQuadChar();
        return best == null ? null : getStreamForType(best);
    }

    /** The stream of the type; an empty stream when the container has none of that type. */
    @Override
    public FMContainerInputStream getStreamForType(QuadChar type) {
        return new FMContainerInputStream(getStreamTypes().indexOf(type));
    }

    /** All streams together, in bytes. */
    @Override
    public long getTotalSize() {
        return _getTotalSize(cToken);
    }

    /** Width from the SIZE stream; 0 without one. */
    @Override
    public short getWidth() {
        return readSize().getShort(0);
    }

    /** Height from the SIZE stream; 0 without one. */
    @Override
    public short getHeight() {
        return readSize().getShort(2);
    }

    private ByteBuffer readSize() {
        byte[] size = new byte[4];
        try (InputStream in = getStreamForType(QuadChar.ImageSize)) {
            in.readNBytes(size, 0, size.length);
        } catch (IOException e) {
            throw new RuntimeException(e);
        }
        return ByteBuffer.wrap(size);
    }

    /** Stores the name in the FNAM stream (protocol "file", no folder), replacing a stored name. */
    public void setFileName(String name) {
        try {
            byte[] stored = FileNameStream.build(Objects.requireNonNull(name, "name must not be null."));
            String readBack = FileNameStream.read(stored);
            if (!name.equals(readBack)) {
                LOG.warning("The file name " + name + " cannot be stored exactly; it reads back as " + readBack);
            }
            addDataStream(stored, QuadChar.FileName);
        } catch (IllegalInputException | RuntimeException e) {
            throw new RuntimeException(e);
        }
    }

    /** The name stored in the FNAM stream, or null. */
    @Override
    public String getFileName() {
        try (FMContainerInputStream in = getStreamForType(QuadChar.FileName)) {
            if (in.available() == 0) {
                return null;
            }
            byte[] stored = new byte[in.available()];
            in.read(stored, 0, stored.length);
            return FileNameStream.read(stored);
        }
    }

    @Override
    public boolean isReference() {
        return false;
    }

    /**
     * The best stream with its length and the stored file name. Without a
     * stored name it is "Untitled." with the extension of the best type's
     * MIME type, or "Untitled.jpg".
     */
    @Override
    public InputStreamInfo getInputStreamInfo(PluginContext context) {
        FMContainerInputStream stream = getBestInputStream();
        if (stream == null) {
            throw new IllegalStateException("The container holds no stream to read");
        }
        long length = stream.getLength();
        String name = getFileName();
        if (name == null) {
            name = "Untitled.jpg";
            try {
                String mimeType = getBestQuadChar().getMimeType();
                name = "Untitled." + mimeType.substring(mimeType.indexOf('/') + 1);
                LOG.info("Unknown filename, using " + name);
            } catch (RuntimeException e) {
                name = "Untitled.jpg";
                LOG.warning("Unable to assign name for file, using " + name);
            }
        }
        return new InputStreamInfo(stream, name, length);
    }

    /**
     * The container's text as the host gives it (the stored file name),
     * through the registry's String converter.
     */
    @Override
    public String asString() {
        FMData value = fmData;
        if (value == null) {
            value = new FMData();
            writeToData(value);
        }
        try {
            return (String) FMType.converterForClass(String.class).convertData(value, String.class);
        } catch (UnsupportedTypeConversionException e) {
            throw new RuntimeException(e);
        }
    }

    long cToken() {
        return cToken;
    }

    FMData getFmData() {
        return fmData;
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

    /**
     * One stream of the container, read through the natives. Its length is
     * taken once; the stream of an absent type (index -1) is empty.
     */
    public final class FMContainerInputStream extends InputStream {
        private final int whichStream;
        private final byte[] oneByte = new byte[1];
        private final int length;
        private int streamPosition;

        FMContainerInputStream(int whichStream) {
            this.whichStream = whichStream;
            this.length = _getSize(cToken, whichStream);
        }

        @Override
        public int read() {
            return read(oneByte, 0, 1) <= 0 ? -1 : oneByte[0] & 0xFF;
        }

        /**
         * Reads up to len bytes into b from index off: -1 at the end and for
         * an empty b, 0 for a len of 0.
         */
        @Override
        public synchronized int read(byte[] b, int off, int len) {
            if (b == null || off < 0 || len < 0) {
                throw new IllegalArgumentException("Unable to read binary data.");
            }
            if (b.length == 0 || streamPosition >= length) {
                return -1;
            }
            int amount = Math.min(len, length - streamPosition);
            if (amount == 0) {
                return 0;
            }
            Objects.checkFromIndexSize(off, amount, b.length);
            // The native fills its array from index 0.
            byte[] destination = off == 0 ? b : new byte[amount];
            _getData(cToken, whichStream, streamPosition, amount, destination);
            if (destination != b) {
                System.arraycopy(destination, 0, b, off, amount);
            }
            streamPosition += amount;
            return amount;
        }

        @Override
        public int available() {
            return length - streamPosition;
        }

        @Override
        public synchronized long skip(long n) {
            if (n < 0) {
                return 0;
            }
            int skipped = (int) Math.min(n, available());
            streamPosition += skipped;
            return skipped;
        }

        /** Back to the start of the stream. */
        @Override
        public synchronized void reset() {
            streamPosition = 0;
        }

        @Override
        public void close() {
        }

        public int getLength() {
            return length;
        }
    }

    /**
     * {@code FMBinary}, {@code FMBinaryInterface} and {@code FileReference}:
     * null for an empty value. An {@code FMBinary} is a copy of the value's
     * container data; an {@code FMBinaryInterface} is that or the file the
     * value refers to; a value without streams gives a file reference to the
     * other two from its text.
     */
    static final class FMBinaryConverter implements Converter {
        @Override
        public boolean canConvertTo(Class<?> targetClass) {
            return targetClass == FMBinary.class || targetClass == FMBinaryInterface.class
                || targetClass == FileReference.class;
        }

        @Override
        public Object convertData(FMData param, Class<?> targetClass) {
            if (param.isEmpty()) {
                return null;
            }
            FMBinaryInterface result = null;
            if (targetClass == FMBinary.class) {
                result = param.storedContainer();
            } else if (targetClass == FMBinaryInterface.class) {
                result = param.getFMBinary();
            }
            if (targetClass != FMBinary.class && (result == null || result.getStreamTypes().isEmpty())) {
                try {
                    String text = param.getStringData();
                    if (text != null && !text.isEmpty()) {
                        result = new FileReference(text);
                    }
                } catch (RuntimeException e) {
                    LOG.log(Level.SEVERE, "Could not extract FileReference", e);
                }
            }
            return result;
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
