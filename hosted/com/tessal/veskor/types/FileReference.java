package com.tessal.veskor.types;

import com.tessal.veskor.FmCalculationException;
import com.tessal.veskor.PluginContext;
import com.tessal.veskor.PluginUtils;
import com.tessal.veskor.QuadChar;
import java.io.File;
import java.io.FileInputStream;
import java.io.FileNotFoundException;
import java.io.IOException;
import java.io.InputStream;
import java.util.List;
import java.util.Properties;
import java.util.logging.Level;
import java.util.logging.Logger;

/**
 * A container that refers to a file outside the database: the host keeps
 * only a short text of keys and values, one pair a line, such as
 * "size:640,480" and "image:pics/a.jpg". The key of a path is its type code
 * (the generic path), or the code followed by "mac" or "win" (the
 * platform's path). A relative generic path is resolved against the folder
 * of the database file. No host object is held, so a reference may be kept.
 */
public class FileReference implements FMBinaryInterface {
    private static final Logger LOG = Logger.getLogger(FileReference.class.getName());

    public static final int TYPE_FILE = 0;
    public static final int TYPE_IMAGE = 1;
    public static final int TYPE_MOVIE = 2;
    /** The type codes, in the order of the TYPE_ constants. */
    static final String[] TYPE_CODES = {"file", "image", "movie"};

    private static final int SHORTEST_REFERENCE = 5;
    private static final String FILE_URL_PREFIX = "file:";
    private static final String MAC_VOLUMES = "/Volumes";

    private final short width;
    private final short height;
    private final String genericPath;
    private final String macPath;
    private final String winPath;
    private final int type;
    private final List<QuadChar> streamTypes;
    private final String referenceInfo;
    /** The referenced file once found; kept from then on. */
    private File file;

    /**
     * Reads a reference text. A size entry "width,height" gives the
     * dimensions (a bad number throws); the first type code that has a
     * generic path gives the type and the paths.
     */
    public FileReference(String referenceInfo) {
        if (referenceInfo == null) {
            throw new NullPointerException("referenceInfo must not be null.");
        }
        this.referenceInfo = referenceInfo;
        String text = PluginUtils.isMac() ? referenceInfo.replace("%2F", ":") : referenceInfo;
        Properties entries = new Properties();
        try {
            PluginUtils.loadUnicodeProperties(entries, text);
        } catch (IOException e) {
            throw new RuntimeException(e);
        }

        short w = 0;
        short h = 0;
        String size = entries.getProperty("size");
        if (size != null && size.indexOf(',') >= 0) {
            int comma = size.indexOf(',');
            w = Short.parseShort(size.substring(0, comma));
            h = Short.parseShort(size.substring(comma + 1));
        }
        this.width = w;
        this.height = h;

        int foundType = -1;
        String generic = null;
        String mac = null;
        String win = null;
        for (int i = 0; i < TYPE_CODES.length && foundType < 0; i++) {
            String code = TYPE_CODES[i];
            generic = entries.getProperty(code);
            if (generic != null) {
                foundType = i;
                mac = entries.getProperty(code + "mac");
                win = entries.getProperty(code + "win");
            }
        }
        if (generic != null && text.startsWith(FILE_URL_PREFIX) && mac == null && win == null
            && !new File(generic).exists()) {
            String decoded = generic.replace("%20", " ");
            if (!decoded.equals(generic)) {
                LOG.info("URLDecoding genericPath '" + generic + "' to '" + decoded + "'");
                generic = decoded;
            }
        }
        this.type = foundType;
        this.genericPath = generic;
        this.macPath = mac;
        this.winPath = win;
        this.streamTypes = foundType == -1 ? List.of() : List.of(QuadChar.FileData);
    }

    /** Whether a text is a reference: it starts with "size:", or with a type code, its "mac" or its "win", and ":". */
    public static boolean isValidReferenceString(String s) {
        if (s == null || s.length() < SHORTEST_REFERENCE) {
            return false;
        }
        if (s.startsWith("size:")) {
            return true;
        }
        for (String code : TYPE_CODES) {
            if (s.startsWith(code + ":") || s.startsWith(code + "mac:") || s.startsWith(code + "win:")) {
                return true;
            }
        }
        return false;
    }

    /**
     * The referenced file found from the absolute paths: the generic path,
     * else the platform's path (on a Mac also below /Volumes). A file that
     * does not exist is logged; null when no absolute path is given.
     */
    public File getFile() {
        if (file != null) {
            return file;
        }
        boolean mac = PluginUtils.isMac();
        File found = null;
        if (genericPath != null && genericPath.startsWith("/")) {
            found = new File(genericPath);
            if (mac && !found.exists()) {
                found = new File(MAC_VOLUMES + genericPath);
            }
        }
        if (found == null || !found.exists()) {
            if (mac && macPath != null && macPath.startsWith("/")) {
                found = new File(macPath);
                if (!found.exists()) {
                    found = new File(MAC_VOLUMES + macPath);
                }
            } else if (!mac && winPath != null && winPath.startsWith("/")) {
                found = new File(winPath.replace('/', '\\'));
            }
        }
        if (found == null || !found.exists()) {
            LOG.warning("FileReference " + this + " is for non-existent file: " + found);
        }
        file = found;
        return found;
    }

    /**
     * The referenced file, with a relative generic path resolved against the
     * folder of the database file (the host's Get(FilePath)). Null when
     * there is no existing file and the host names no file path.
     */
    public File getFile(PluginContext context) {
        File found = getFile();
        if ((found != null && found.exists()) || context == null || genericPath == null) {
            return found;
        }
        String dbFilePath;
        try {
            FMData path = context.evaluateExpression("Get(FilePath)");
            dbFilePath = path == null ? null : path.getStringData();
        } catch (FmCalculationException e) {
            throw new RuntimeException(e);
        }
        if (dbFilePath == null || !dbFilePath.startsWith(FILE_URL_PREFIX)) {
            return null;
        }
        String dbPath = dbFilePath.substring(FILE_URL_PREFIX.length());
        if (PluginUtils.isMac()) {
            dbPath = MAC_VOLUMES + dbPath;
        }
        File resolved = new File(new File(dbPath).getParentFile(), genericPath);
        LOG.log(Level.FINE, "Resolving file reference using dbFilePath {0} and relative path {1}, result is {2}",
            new Object[] {dbPath, genericPath, resolved});
        file = resolved;
        return resolved;
    }

    /** The referenced file as a stream, with its name and length. */
    @Override
    public InputStreamInfo getInputStreamInfo(PluginContext context) throws FileNotFoundException {
        File found = getFile(context);
        if (found == null || !found.exists()) {
            throw new FileNotFoundException("File not found");
        }
        if (found.isDirectory()) {
            throw new IllegalStateException("File " + found + " is a directory");
        }
        return new InputStreamInfo(found);
    }

    @Override
    public short getWidth() {
        return width;
    }

    @Override
    public short getHeight() {
        return height;
    }

    @Override
    public boolean isReference() {
        return true;
    }

    /** TYPE_FILE, TYPE_IMAGE or TYPE_MOVIE; -1 when the text names no path. */
    public int getType() {
        return type;
    }

    /** FILE when the text names a path; else none. */
    @Override
    public List<QuadChar> getStreamTypes() {
        return streamTypes;
    }

    @Override
    public QuadChar getBestQuadChar() {
        return streamTypes.isEmpty() ? null : QuadChar.FileData;
    }

    /** A stream on the referenced file; null without a file. */
    @Override
    public InputStream getBestInputStream() {
        File found = getFile();
        if (found == null) {
            return null;
        }
        try {
            return new FileInputStream(found);
        } catch (FileNotFoundException e) {
            throw new RuntimeException(e);
        }
    }

    /** The same stream whatever the type: the referenced file. */
    @Override
    public InputStream getStreamForType(QuadChar streamType) {
        return getBestInputStream();
    }

    /** The reference text. */
    @Override
    public String asString() {
        return referenceInfo;
    }

    /** The file's length; 0 without a file. */
    @Override
    public long getTotalSize() {
        File found = getFile();
        return found == null ? 0 : found.length();
    }

    /** The file's name; null without a file. */
    @Override
    public String getFileName() {
        File found = getFile();
        return found == null ? null : found.getName();
    }

    @Override
    public void setSoundData(byte[] soundData) {
        throw new AbstractMethodError("com.tessal.veskor.types.FileReference.setSoundData method not implemented.");
    }

    @Override
    public void addDataStream(byte[] data, QuadChar streamType) {
        throw new AbstractMethodError("com.tessal.veskor.types.FileReference.addDataStream method not implemented.");
    }

    @Override
    public String toString() {
        return "FileReference{width=" + width + ", height=" + height + ", genericPath='" + genericPath + "'"
            + ", macPath='" + macPath + "'" + ", winPath='" + winPath + "'" + ", type=" + type + ", file=" + file
            + "}";
    }
}
