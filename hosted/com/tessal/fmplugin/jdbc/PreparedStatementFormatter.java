package com.tessal.fmplugin.jdbc;

import com.tessal.veskor.types.FMData;
import java.text.FieldPosition;
import java.text.Format;
import java.text.ParsePosition;
import java.util.ArrayList;
import java.util.Iterator;
import java.util.List;

/**
 * Turns merge fields into statement parameters: each value a merge writes
 * becomes a "?" in the text and is kept, in order, to be bound to that
 * parameter.
 */
public class PreparedStatementFormatter extends Format {
    private static final long serialVersionUID = 1L;
    private static final int SHOWN_CHARACTERS = 100;

    private final List<FMData> bindings = new ArrayList<>();

    @Override
    public StringBuffer format(Object obj, StringBuffer toAppendTo, FieldPosition pos) {
        bindings.add((FMData) obj);
        return toAppendTo.append('?');
    }

    @Override
    public Object parseObject(String source, ParsePosition pos) {
        throw new UnsupportedOperationException(
            "com.tessal.fmplugin.jdbc.PreparedStatementFormatter.parseObject method not implemented.");
    }

    /** The bound values in the order of their parameters. */
    public Iterator<FMData> parameterIterator() {
        return bindings.iterator();
    }

    /** "Bindings: [...]" with each value's text quoted, long ones cut to 97 characters and "...". */
    @Override
    public String toString() {
        StringBuilder text = new StringBuilder("Bindings: [");
        for (int i = 0; i < bindings.size(); i++) {
            String value = String.valueOf(bindings.get(i).getStringData());
            if (value.length() > SHOWN_CHARACTERS) {
                value = value.substring(0, SHOWN_CHARACTERS - 3) + "...";
            }
            text.append(i == 0 ? "" : ", ").append('"').append(value).append('"');
        }
        return text.append(']').toString();
    }
}
