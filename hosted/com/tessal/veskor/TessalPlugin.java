package com.tessal.veskor;

import java.awt.GraphicsEnvironment;
import java.util.logging.Level;
import java.util.logging.Logger;

/** The usual base of a plug-in: configurable, with a configuration dialog and an optional support page. */
public abstract class TessalPlugin extends Plugin implements Configurable {
    private static final Logger log = Logger.getLogger(TessalPlugin.class.getName());

    /** The address of the plug-in's support page, or null for none. */
    public String getSupportUrl() {
        return null;
    }

    /** Opens the configuration dialog; without a display there is nothing to open, and it only logs. */
    @Override
    public void configure() {
        if (GraphicsEnvironment.isHeadless()) {
            log.log(Level.INFO, "No configuration dialog for {0}: the Java VM runs without a display", getName());
            return;
        }
        new ConfigurationDialog(this).showDialog();
    }
}
