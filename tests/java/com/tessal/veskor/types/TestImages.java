package com.tessal.veskor.types;

import java.awt.Color;
import java.awt.image.BufferedImage;
import java.io.ByteArrayInputStream;
import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.io.UncheckedIOException;
import javax.imageio.ImageIO;

/** Small images for the container tests, made and read with javax.imageio. */
final class TestImages {
    static final Color BLUE = new Color(0, 0, 255);

    private TestImages() {
    }

    /** An image whose left half is transparent (ARGB) or red (RGB) and whose right half is blue. */
    static BufferedImage halves(int width, int height, int type) {
        BufferedImage image = new BufferedImage(width, height, type);
        for (int y = 0; y < height; y++) {
            for (int x = 0; x < width; x++) {
                boolean left = x < width / 2;
                int argb = left ? (type == BufferedImage.TYPE_INT_ARGB ? 0x00FF0000 : 0xFFFF0000) : BLUE.getRGB();
                image.setRGB(x, y, argb);
            }
        }
        return image;
    }

    static byte[] encode(BufferedImage image, String format) {
        try {
            ByteArrayOutputStream out = new ByteArrayOutputStream();
            if (!ImageIO.write(image, format, out)) {
                throw new IllegalStateException("no writer for " + format);
            }
            return out.toByteArray();
        } catch (IOException e) {
            throw new UncheckedIOException(e);
        }
    }

    static BufferedImage decode(byte[] bytes) {
        try {
            return ImageIO.read(new ByteArrayInputStream(bytes));
        } catch (IOException e) {
            throw new UncheckedIOException(e);
        }
    }

    /** Whether a pixel is within the tolerance of a colour on each channel (JPEG is lossy). */
    static boolean near(BufferedImage image, int x, int y, Color expected) {
        Color actual = new Color(image.getRGB(x, y));
        int tolerance = 24;
        return Math.abs(actual.getRed() - expected.getRed()) <= tolerance
            && Math.abs(actual.getGreen() - expected.getGreen()) <= tolerance
            && Math.abs(actual.getBlue() - expected.getBlue()) <= tolerance;
    }
}
