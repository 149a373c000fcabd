package com.tessal.veskor.types;

import java.awt.Color;
import java.awt.Dimension;
import java.awt.Graphics2D;
import java.awt.image.BufferedImage;
import java.awt.image.RenderedImage;
import java.io.ByteArrayInputStream;
import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.util.Iterator;
import java.util.logging.Level;
import java.util.logging.Logger;
import javax.imageio.ImageIO;
import javax.imageio.ImageReader;
import javax.imageio.stream.ImageInputStream;
import javax.imageio.stream.ImageOutputStream;
import javax.imageio.stream.MemoryCacheImageInputStream;
import javax.imageio.stream.MemoryCacheImageOutputStream;

/** Image work for containers, through javax.imageio: measuring, decoding, encoding, JPEG renderings. */
final class ContainerImages {
    private static final Logger LOG = Logger.getLogger(ContainerImages.class.getName());

    private ContainerImages() {
    }

    /** Width and height of the first image in the bytes; null when no image reader takes them. */
    static Dimension measure(byte[] bytes) throws IOException {
        LOG.info("Calculating dimensions for image with length " + bytes.length);
        return withReader(bytes, reader -> new Dimension(reader.getWidth(0), reader.getHeight(0)));
    }

    /** The image in the bytes; null when they cannot be decoded. */
    static BufferedImage decode(byte[] bytes) {
        try {
            return withReader(bytes, reader -> reader.read(0));
        } catch (IOException | RuntimeException e) {
            LOG.log(Level.FINE, "Cannot decode image: " + e, e);
            return null;
        }
    }

    /** The image drawn on a white opaque canvas of its size, encoded as JPEG. */
    static byte[] jpegOnWhite(RenderedImage image) throws IOException {
        return encode(onWhite(image), "jpg");
    }

    /**
     * The image encoded in the named format (an extension such as png or
     * jpg). A writer that refuses the image because of its transparency
     * (JPEG and BMP do) gets it drawn on white.
     */
    static byte[] encode(RenderedImage image, String format) throws IOException {
        byte[] bytes = write(image, format);
        if (bytes == null && image.getColorModel().hasAlpha()) {
            bytes = write(onWhite(image), format);
        }
        if (bytes == null) {
            throw new IOException("No image writer for the format " + format);
        }
        return bytes;
    }

    private interface ReaderWork<T> {
        T apply(ImageReader reader) throws IOException;
    }

    // Runs the work with the first reader that takes the bytes; null when none
    // does. Streams are cached in memory, never in temporary files.
    private static <T> T withReader(byte[] bytes, ReaderWork<T> work) throws IOException {
        ImageInputStream input = new MemoryCacheImageInputStream(new ByteArrayInputStream(bytes));
        try {
            Iterator<ImageReader> readers = ImageIO.getImageReaders(input);
            if (!readers.hasNext()) {
                return null;
            }
            ImageReader reader = readers.next();
            try {
                reader.setInput(input, true);
                return work.apply(reader);
            } finally {
                reader.dispose();
            }
        } finally {
            try {
                input.close();
            } catch (IOException e) {
                LOG.log(Level.SEVERE, e.toString(), e);
            }
        }
    }

    // The encoded bytes; null when no writer takes the image in that format.
    private static byte[] write(RenderedImage image, String format) throws IOException {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        boolean written;
        try (ImageOutputStream output = new MemoryCacheImageOutputStream(out)) {
            written = ImageIO.write(image, format, output);
        }
        return written ? out.toByteArray() : null;
    }

    private static BufferedImage onWhite(RenderedImage image) {
        BufferedImage canvas = new BufferedImage(image.getWidth(), image.getHeight(), BufferedImage.TYPE_INT_RGB);
        Graphics2D g = canvas.createGraphics();
        try {
            g.setColor(Color.WHITE);
            g.fillRect(0, 0, canvas.getWidth(), canvas.getHeight());
            g.drawRenderedImage(image, null);
        } finally {
            g.dispose();
        }
        return canvas;
    }
}
