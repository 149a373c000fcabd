package com.tessal.veskor;

import com.tessal.veskor.types.FMData;
import java.lang.reflect.InvocationTargetException;

/** A host calculation function of a plug-in: its host-visible description, argument binding and invocation. */
public interface PluginFunction {
    int EVALUATE_ON_SERVER = 1;
    int DISPLAY_CALC_FIELDS = 256;
    int DISPLAY_AUTO_ENTER = 512;
    int DISPLAY_VALIDATION = 1024;
    int DISPLAY_CUSTOM_FUNCTIONS = 2048;
    int DISPLAY_PRIVILEGES = 4096;
    int DISPLAY_GENERIC = 32768;
    /** Every display bit: listed in all calculation dialogs. */
    int DISPLAY_IN_ALL_DIALOGS = 0xFF00;

    String getName();

    short getFunctionID();

    String getPrototype();

    int getMinArgs();

    /** -1: any number. */
    int getMaxArgs();

    int getFlags();

    /** Whether the call runs on the window system's event thread. */
    boolean isGuiFunction();

    /** The host's arguments as the method's parameter values. */
    Object[] convertParams(FMData[] rawParams);

    Object invoke(Plugin pluginInstance, Object[] parameters) throws IllegalAccessException, InvocationTargetException;
}
