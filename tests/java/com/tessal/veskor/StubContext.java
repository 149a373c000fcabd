package com.tessal.veskor;

import com.tessal.veskor.types.FMData;
import java.util.Map;

/**
 * A call context whose calculations are answered from a table of results as
 * text; any other expression fails with the host's code 102. The results
 * are new host values, deleted by the next release pass.
 */
public final class StubContext extends PluginContext {
    private final Map<String, String> results;

    public StubContext(Map<String, String> results) {
        super(null, null, false, 0, 0, 0, Thread.currentThread());
        this.results = results;
    }

    @Override
    public FMData evaluateExpression(String expression) throws FmCalculationException {
        String text = results.get(expression);
        if (text == null) {
            throw new FmCalculationException(102);
        }
        FMData value = new FMData();
        value.setStringData(text);
        return value;
    }
}
