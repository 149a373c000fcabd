package com.tessal.veskor;

/** A plug-in with a preferences action: the host offers it, the bridge calls configure on the event thread. */
public interface Configurable {
    void configure();
}
