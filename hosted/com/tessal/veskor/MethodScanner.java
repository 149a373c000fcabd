package com.tessal.veskor;

import com.tessal.veskor.types.FMType;
import java.lang.reflect.Method;
import java.util.ArrayList;
import java.util.List;
import java.util.logging.Level;
import java.util.logging.Logger;

/** Finds the methods of a plug-in class that can be host functions: public, returning an FMType. */
public final class MethodScanner {
    private static final Logger log = Logger.getLogger(MethodScanner.class.getName());

    private MethodScanner() {
    }

    /** Public methods (inherited ones included, Plugin's own left out) whose return type is an FMType. */
    public static List<Method> findFMFunctions(Class<?> theClass) {
        List<Method> found = new ArrayList<>();
        for (Method method : theClass.getMethods()) {
            if (method.getDeclaringClass() == Plugin.class) {
                continue;
            }
            if (FMType.class.isAssignableFrom(method.getReturnType())) {
                found.add(method);
            } else {
                log.log(Level.FINE, "Skipping method: {0}", method);
            }
        }
        log.log(Level.FINE, "Methods found: {0}", found);
        return found;
    }
}
