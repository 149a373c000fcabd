package com.tessal.veskor;

import com.tessal.veskor.types.FMData;
import com.tessal.veskor.types.FileReference;
import com.tessal.veskor.types.InputStreamInfo;
import java.io.BufferedReader;
import java.io.File;
import java.io.IOException;
import java.io.StringReader;
import java.net.URL;
import java.net.URLConnection;
import java.text.Format;
import java.util.Locale;
import java.util.Properties;
import java.util.logging.Level;
import java.util.logging.Logger;
import java.util.regex.Matcher;
import java.util.regex.Pattern;

/** Helpers for plug-in code: merge fields, host file paths, URLs as named streams, key-value texts. */
public final class PluginUtils {
    private static final Logger log = Logger.getLogger(PluginUtils.class.getName());

    public static final int CARRIAGE_RETURN = 13;
    public static final int NEWLINE = 10;

    /**
     * A merge field: a name between two pairs of angle brackets. The name
     * holds none of > + - * / ^ & = ≠ < ( , ; ) [ ] " $ and no line end, so
     * "table::field" and names with blanks are merge fields and expressions
     * are not.
     */
    public static final Pattern MERGE_PATTERN = Pattern.compile("<<([^>+\\-*/^&=\u2260<(,;)\\[\\]\"$\r\n]+)>>");

    private static final String KEY_VALUE_SEPARATORS = "=: \t\r\n\f";

    private PluginUtils() {
    }

    /**
     * The template with each merge field replaced by the value its name
     * evaluates to in the host: its text, or whatever the format makes of
     * the FMData. A name that does not evaluate is tried once more with the
     * current layout's table in front (asked for once per template); a merge
     * field that cannot be evaluated stays as written.
     */
    public static String mergeString(PluginContext context, String mergeTemplate, Format optionalFormat) {
        if (mergeTemplate == null || mergeTemplate.isEmpty()) {
            return mergeTemplate;
        }
        StringBuffer output = new StringBuffer();
        Matcher matcher = MERGE_PATTERN.matcher(mergeTemplate);
        String layoutTable = null;
        int copied = 0;
        while (matcher.find()) {
            String name = matcher.group(1);
            FMData value;
            try {
                value = context.evaluateExpression(name);
            } catch (Exception e) {
                log.log(Level.SEVERE, "Error evaluating merge field '" + name + "': " + e, e);
                if (name.indexOf(':') >= 0) {
                    continue;
                }
                try {
                    if (layoutTable == null) {
                        layoutTable = context.evaluateExpression("Get ( LayoutTableName )").getStringData();
                    }
                    value = context.evaluateExpression(layoutTable + "::" + name);
                } catch (Exception retry) {
                    log.log(Level.SEVERE, "Unable to evaluate '" + name + "'': " + retry, retry);
                    continue;
                }
            }
            output.append(mergeTemplate, copied, matcher.start());
            if (optionalFormat == null) {
                String text = value.getStringData();
                if (text != null) {
                    output.append(text);
                }
            } else {
                optionalFormat.format(value, output, new java.text.FieldPosition(0));
            }
            copied = matcher.end();
        }
        output.append(mergeTemplate, copied, mergeTemplate.length());
        return output.toString();
    }

    /**
     * A file for a path as the host writes it. A typed host path such as
     * "filewin:/C:/a.txt" keeps only the part from its slash; on a Mac, a
     * path below a volume's name gets "/Volumes" in front. Whether the file
     * exists is not checked.
     */
    public static File fileForFMPath(String fmPath) {
        if (fmPath == null) {
            return null;
        }
        String path = fmPath;
        int typed = path.indexOf(":/");
        if (typed >= 0 && !path.toLowerCase(Locale.ROOT).startsWith("size:")
            && FileReference.isValidReferenceString(path)) {
            path = path.substring(path.indexOf(':') + 1);
        }
        File file = new File(path);
        if (isMac() && path.startsWith("/") && !path.toLowerCase(Locale.ROOT).startsWith("/volumes/")) {
            int second = path.indexOf('/', 1);
            if (second > 0 && new File("/Volumes", path.substring(1, second)).isDirectory()) {
                file = new File("/Volumes" + path);
            }
        }
        return file;
    }

    /** The URL's content as a stream, with the name, length and content type its connection reports. */
    public static InputStreamInfo getInputStreamInfoForUrl(URL url) throws IOException {
        URLConnection connection = url.openConnection();
        String name = filenameForUrlContents(url, connection.getHeaderField("content-disposition"),
            connection.getContentType());
        return new InputStreamInfo(connection.getInputStream(), name, connection.getContentLengthLong(),
            connection.getContentType());
    }

    /**
     * The file name for a URL's content: the content disposition's
     * "filename=", else the last part of the URL's path, else "index"; a name
     * without a full stop gets the content type's subtype as its extension.
     */
    public static String filenameForUrlContents(URL url, String contentDisposition, String contentType) {
        String name = null;
        if (contentDisposition != null) {
            int at = contentDisposition.toLowerCase(Locale.ROOT).indexOf("filename=");
            if (at >= 0) {
                String rest = contentDisposition.substring(at + "filename=".length());
                int end = rest.indexOf(';');
                name = (end >= 0 ? rest.substring(0, end) : rest).replace("\"", "");
            }
        }
        if (name == null) {
            String path = url.getPath();
            name = path == null ? null : path.substring(path.lastIndexOf('/') + 1);
        }
        if (name == null || name.isEmpty()) {
            name = "index";
            log.warning("Unable to calculate filename for url '" + url + "', using '" + name + "' as default value");
        }
        if (name.indexOf('.') < 0 && contentType != null && contentType.indexOf('/') >= 0) {
            String subtype = contentType.substring(contentType.lastIndexOf('/') + 1);
            int end = subtype.indexOf(';');
            name = name + "." + (end >= 0 ? subtype.substring(0, end) : subtype);
        }
        return name;
    }

    /**
     * Reads lines of key and value into p: each non-empty line splits at its
     * first "=", ":", blank, tab, CR, LF or form feed, and both sides are
     * trimmed. Unlike a properties file there are no comments, escapes or
     * continuation lines, and the text stays Unicode.
     */
    public static void loadUnicodeProperties(Properties p, String unicodeString) throws IOException {
        try (BufferedReader lines = new BufferedReader(new StringReader(unicodeString))) {
            for (String line; (line = lines.readLine()) != null;) {
                if (line.isEmpty()) {
                    continue;
                }
                int split = -1;
                for (int i = 0; i < line.length() && split < 0; i++) {
                    if (KEY_VALUE_SEPARATORS.indexOf(line.charAt(i)) >= 0) {
                        split = i;
                    }
                }
                if (split >= 0) {
                    p.put(line.substring(0, split).trim(), line.substring(split + 1).trim());
                }
            }
        }
    }

    public static boolean isMac() {
        return System.getProperty("os.name", "").toLowerCase(Locale.ROOT).contains("mac");
    }
}
