package com.tessal.veskor;

import com.tessal.veskor.types.Converter;
import com.tessal.veskor.types.FMData;
import com.tessal.veskor.types.FMType;
import java.lang.reflect.Array;
import java.lang.reflect.InvocationTargetException;
import java.lang.reflect.Method;
import java.util.Arrays;
import java.util.logging.Level;
import java.util.logging.Logger;

/**
 * A host function backed by a public method of the plug-in class. The host
 * sees the method's name; its id is derived from the name; each parameter
 * has the converter chosen for its class when the function is made. A
 * trailing array parameter takes any number of further arguments.
 */
public final class StaticFunction implements PluginFunction {
    private static final Logger log = Logger.getLogger(StaticFunction.class.getName());

    private final Method targetMethod;
    private final Class<?>[] paramClasses;
    private final Converter[] paramConverters;
    private final int argCount;
    private String prototype;
    private String name = "";
    private int flags = DISPLAY_IN_ALL_DIALOGS;
    private short functionID;
    private Integer minArgs;
    private int maxArgs;
    private boolean isGuiFunction;

    public StaticFunction(Method methodToTrigger) throws FMType.UnsupportedTypeConversionException {
        this.targetMethod = methodToTrigger;
        Class<?>[] declared = methodToTrigger.getParameterTypes();
        this.paramClasses = declared.clone();
        this.argCount = declared.length;
        this.maxArgs = argCount;
        if (argCount > 0 && declared[argCount - 1].isArray()) {
            maxArgs = -1;
            paramClasses[argCount - 1] = declared[argCount - 1].getComponentType();
        }
        this.paramConverters = new Converter[argCount];
        for (int i = 0; i < argCount; i++) {
            paramConverters[i] = FMType.converterForClass(paramClasses[i]);
        }
        this.name = methodToTrigger.getName();
        this.functionID = idForName(name);
        this.prototype = defaultPrototype(paramClasses);
    }

    /**
     * The id for a function name: the string hash made non-negative with the
     * 32-bit absolute value (the most negative value stays), cut to its low
     * 16 bits. Ids can be negative, and two names can share one.
     */
    public static short idForName(String name) {
        return (short) Math.abs(name.hashCode());
    }

    /**
     * The minimum argument count a prototype gives: null when it marks no
     * argument optional (no "[" or "{"), 0 when it starts with one, else the
     * number of ";"-separated pieces before the first bracket, empty pieces at
     * the end not counted.
     */
    public static Integer minArgsForPrototype(String prototype) {
        int bracket = prototype.indexOf('[');
        if (bracket < 0) {
            bracket = prototype.indexOf('{');
        }
        if (bracket < 0) {
            return null;
        }
        if (prototype.startsWith("[") || prototype.startsWith("{")) {
            return 0;
        }
        return prototype.substring(0, bracket).split(";").length;
    }

    private static String defaultPrototype(Class<?>[] classes) {
        StringBuilder text = new StringBuilder();
        for (Class<?> each : classes) {
            if (text.length() > 0) {
                text.append(" ; ");
            }
            String full = each.getName();
            text.append(full.substring(full.lastIndexOf('.') + 1));
        }
        return text.toString();
    }

    @Override
    public Object[] convertParams(FMData[] rawParams) {
        Object[] result = new Object[argCount];
        try {
            if (maxArgs == -1) {
                int fixed = argCount - 1;
                for (int i = 0; i < fixed; i++) {
                    result[i] = i < rawParams.length ? convert(i, rawParams[i]) : null;
                }
                int optional = rawParams.length - fixed;
                if (optional > 0) {
                    Object array = Array.newInstance(paramClasses[fixed], optional);
                    for (int i = 0; i < optional; i++) {
                        Array.set(array, i, convert(fixed, rawParams[fixed + i]));
                    }
                    result[fixed] = array;
                }
            } else {
                for (int i = 0; i < argCount; i++) {
                    result[i] = i < rawParams.length ? convert(i, rawParams[i]) : defaultValue(paramClasses[i]);
                }
            }
        } catch (IndexOutOfBoundsException e) {
            log.log(Level.WARNING, "error in convertParams", e);
            throw new IllegalArgumentException(
                this + " Expected " + argCount + " parameters, but received " + rawParams.length, e);
        }
        if (log.isLoggable(Level.FINER)) {
            log.log(Level.FINER, "PluginFunction {0} invoked with converted args {1}",
                new Object[] {this, Arrays.deepToString(result)});
        }
        return result;
    }

    private Object convert(int index, FMData raw) {
        return paramConverters[index].convertData(raw, paramClasses[index]);
    }

    private static Object defaultValue(Class<?> type) {
        if (!type.isPrimitive()) {
            return null;
        } else if (type == boolean.class) {
            return Boolean.FALSE;
        } else if (type == byte.class) {
            return (byte) 0;
        } else if (type == char.class) {
            return (char) 0;
        } else if (type == short.class) {
            return (short) 0;
        } else if (type == int.class) {
            return 0;
        } else if (type == long.class) {
            return 0L;
        } else if (type == float.class) {
            return 0f;
        }
        return 0d;
    }

    @Override
    public Object invoke(Plugin pluginInstance, Object[] parameters)
        throws IllegalAccessException, InvocationTargetException {
        try {
            return targetMethod.invoke(pluginInstance, parameters);
        } catch (IllegalArgumentException e) {
            log.log(Level.SEVERE, "Make sure that PRIMITIVE TYPES ARE NOT USED AS OPTIONAL PARAMS", e);
            throw e;
        }
    }

    @Override
    public String getName() {
        return name;
    }

    @Override
    public short getFunctionID() {
        return functionID;
    }

    @Override
    public String getPrototype() {
        return prototype;
    }

    /** A new prototype; one that marks optional arguments also sets the minimum argument count. */
    public void setPrototype(String prototype) {
        this.prototype = prototype;
        Integer minimum = minArgsForPrototype(prototype);
        if (minimum != null) {
            this.minArgs = minimum;
        }
    }

    @Override
    public int getMinArgs() {
        return minArgs != null ? minArgs : maxArgs;
    }

    public void setMinArgs(Integer minArgs) {
        this.minArgs = minArgs;
    }

    @Override
    public int getMaxArgs() {
        return maxArgs;
    }

    @Override
    public int getFlags() {
        return flags;
    }

    public void setFlags(int flags) {
        this.flags = flags;
    }

    @Override
    public boolean isGuiFunction() {
        return isGuiFunction;
    }

    public void setGuiFunction(boolean guiFunction) {
        this.isGuiFunction = guiFunction;
    }

    public Method getTargetMethod() {
        return targetMethod;
    }

    @Override
    public String toString() {
        return "PluginFunction{name='" + name + "', functionID=" + functionID + ", minArgs=" + minArgs
            + ", maxArgs=" + maxArgs + "}";
    }
}
