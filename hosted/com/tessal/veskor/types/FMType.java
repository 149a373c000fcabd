package com.tessal.veskor.types;

import com.tessal.veskor.FMException;
import com.tessal.veskor.FMTypeConverter;
import java.awt.Color;
import java.awt.image.BufferedImage;
import java.awt.image.RenderedImage;
import java.io.File;
import java.io.IOException;
import java.io.Reader;
import java.math.BigDecimal;
import java.net.URL;
import java.util.Collection;
import java.util.Collections;
import java.util.Date;
import java.util.List;
import java.util.Locale;
import java.util.concurrent.CopyOnWriteArrayList;
import java.util.logging.Level;
import java.util.logging.LogRecord;
import java.util.logging.Logger;

/**
 * A value that a plug-in function returns: it writes itself into a host
 * value. This class also owns the converter registry, the ordered list of
 * converters that turn host arguments into Java parameter values; lookup
 * takes the first converter that accepts a class.
 */
public abstract class FMType {
    private static final Logger LOG = Logger.getLogger(FMType.class.getName());

    /**
     * The registry, filled once, in lookup order, when it is first used;
     * addConverter appends. Never reordered or cleared. It lives in a holder
     * class of its own so that filling it (which initialises the value
     * classes) never waits on the initialisation of FMType, which every
     * value class needs first: two threads starting on different value
     * classes cannot deadlock.
     */
    private static final class Registry {
        static final List<Converter> converters = new CopyOnWriteArrayList<>();

        static {
            FMNumber.registerConverters();
            FMText.registerConverters();
            FMTimestamp.registerConverters();
            FMBinary.registerConverters();
            FMDictConverter.registerConverters();
            FMData.registerConverters();
            addConverter(new FMTypeConverter());
            FileConverter.registerConverters();
        }
    }

    /** Stores this value into the host value. */
    public abstract void writeToData(FMData destination);

    /** This value as a Java string, or null. */
    public abstract String getAsString();

    /** Appends a converter to the registry; it is consulted after all earlier ones. */
    public static void addConverter(Converter theConverter) {
        Registry.converters.add(theConverter);
    }

    /** The first converter in the registry that produces the class. */
    public static Converter converterForClass(Class<?> targetClass) throws UnsupportedTypeConversionException {
        for (Converter converter : Registry.converters) {
            if (converter.canConvertTo(targetClass)) {
                return converter;
            }
        }
        throw new UnsupportedTypeConversionException(targetClass);
    }

    /** The registry in lookup order. */
    static List<Converter> registeredConverters() {
        return Collections.unmodifiableList(Registry.converters);
    }

    /** The Java class that stands for a host field type name (any letter case). */
    public static Class<?> classForFMType(String typeName) {
        if (typeName == null) {
            throw new NullPointerException("typeName must not be null.");
        }
        String name = typeName.toLowerCase(Locale.ROOT);
        switch (name) {
            case "text":
                return String.class;
            case "number":
                return BigDecimal.class;
            case "date":
            case "time":
            case "timestamp":
                return Date.class;
            case "container":
                return FMData.class;
            default:
                throw new IllegalArgumentException("Unknown FM type '" + name + "'");
        }
    }

    /** The value type that suits a Java object best; null for null. */
    public static FMType bestTypeForJavaObject(Object in) {
        if (in == null) {
            return null;
        }
        FMType result;
        if (in instanceof FMType) {
            result = (FMType) in;
        } else if (in.getClass() == String.class) {
            result = new FMText((String) in);
        } else if (in instanceof Reader) {
            try {
                return new FMText((Reader) in);
            } catch (IOException e) {
                throw new RuntimeException(e);
            }
        } else if (in instanceof Number) {
            result = new FMNumber((Number) in);
        } else if (in instanceof Boolean) {
            return new FMNumber(((Boolean) in) ? 1 : 0);
        } else if (in instanceof File) {
            try {
                result = FMBinary.fmBinaryForFile((File) in);
            } catch (IOException e) {
                LogRecord record = new LogRecord(Level.WARNING, "Unable to convert file {0} to FMBinary");
                record.setLoggerName(LOG.getName());
                record.setParameters(new Object[] {in});
                record.setThrown(e);
                LOG.log(record);
                throw new RuntimeException(e);
            }
        } else if (in instanceof URL) {
            try {
                result = FMBinary.fmBinaryForUrl((URL) in);
            } catch (IOException e) {
                throw new RuntimeException(e);
            }
        } else if (in instanceof RenderedImage) {
            FMBinary image = imageContainer((RenderedImage) in);
            result = image != null ? image : unknownObject(in);
        } else if (in instanceof Color) {
            Color color = (Color) in;
            result = new FMText("RGB(" + color.getRed() + "," + color.getGreen() + "," + color.getBlue() + ")");
        } else if (in instanceof Object[]) {
            result = new FMText(joinRows((Object[]) in));
        } else if (in instanceof Collection) {
            StringBuilder text = new StringBuilder();
            for (Object element : (Collection<?>) in) {
                if (text.length() > 0) {
                    text.append('\r');
                }
                text.append(element);
            }
            result = new FMText(text.toString());
        } else if (in instanceof Date) {
            return new FMTimestamp((Date) in);
        } else {
            result = unknownObject(in);
        }
        if (LOG.isLoggable(Level.FINER)) {
            LOG.log(Level.FINER, "best type for {0} \"{1}\" is {2}", new Object[] {in.getClass().getName(), in, result});
        }
        return result;
    }

    private static FMType unknownObject(Object in) {
        LOG.log(Level.FINE, "Unknown object type {0}", in.getClass().getName());
        return new FMText(String.valueOf(in));
    }

    // A PNG for an image with an alpha channel packed in ints, else a JPEG;
    // null when the image cannot be encoded.
    private static FMBinary imageContainer(RenderedImage image) {
        String format = image instanceof BufferedImage && ((BufferedImage) image).getType()
            == BufferedImage.TYPE_INT_ARGB ? "png" : "jpg";
        try {
            return FMBinary.fmBinaryForData(ContainerImages.encode(image, format), "image." + format, null);
        } catch (IOException e) {
            LOG.log(Level.INFO, "Unable to convert " + image + " to byte array", e);
            return null;
        }
    }

    // Elements joined by CR; an element that is itself an array of objects
    // gives its own elements joined by a tab.
    private static String joinRows(Object[] rows) {
        StringBuilder text = new StringBuilder();
        for (int i = 0; i < rows.length; i++) {
            if (i > 0) {
                text.append('\r');
            }
            if (rows[i] instanceof Object[]) {
                Object[] cells = (Object[]) rows[i];
                for (int j = 0; j < cells.length; j++) {
                    if (j > 0) {
                        text.append('\t');
                    }
                    text.append(cells[j]);
                }
            } else {
                text.append(rows[i]);
            }
        }
        return text.toString();
    }

    /** No converter in the registry produces the class: code -2. */
    public static class UnsupportedTypeConversionException extends FMException {
        private static final long serialVersionUID = 1L;

        public UnsupportedTypeConversionException(Class<?> targetClass) {
            super(-2, "No conversion capability for class " + targetClass.getName());
        }
    }
}
