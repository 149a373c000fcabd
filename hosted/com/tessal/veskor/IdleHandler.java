package com.tessal.veskor;

/** A plug-in that wants the host's idle messages. */
public interface IdleHandler {
    int USER_IS_IDLE = 0;
    int USER_NOT_IDLE = 1;
    int IDLE_SCRIPT_PAUSED = 2;
    int IDLE_SCRIPT_RUNNING = 3;
    int IDLE_UNSAFE = 4;

    void doIdle(int idleState);
}
