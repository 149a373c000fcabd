package com.tessal.veskor;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertSame;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.tessal.testplugin.TestPlugin;
import com.tessal.veskor.testing.HostHooks;
import com.tessal.veskor.testing.HostObjects;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.TimeUnit;
import java.util.concurrent.atomic.AtomicReference;
import java.util.logging.Handler;
import java.util.logging.Level;
import java.util.logging.LogRecord;
import java.util.logging.Logger;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;

/**
 * Calls of registered functions through doFunction, with host values as the
 * host passes them: results, the failure convention and the last error,
 * argument binding, the dispatcher's own codes, and contexts.
 */
@ExtendWith(HostObjects.class)
class DispatchTest {
    private PluginBridge bridge;
    private TestPlugin plugin;

    @BeforeEach
    void startThePlugin() {
        plugin = new TestPlugin();
        bridge = new PluginBridge(plugin);
        bridge.scanFunctions();
        bridge.registerAllFunctions();
    }

    /** "code result" of one call with text arguments; the result value starts as the text "untouched". */
    private String call(String name, String... args) {
        long[] tokens = new long[args.length];
        for (int i = 0; i < args.length; i++) {
            tokens[i] = HostHooks.newValue();
            HostHooks.setText(tokens[i], args[i]);
        }
        long result = HostHooks.newValue();
        HostHooks.setText(result, "untouched");
        try {
            short code = bridge.doFunction(StaticFunction.idForName(name), tokens, result, false, 0, 0);
            return code + " " + HostHooks.textOf(result);
        } finally {
            for (long token : tokens) {
                HostHooks.deleteValue(token);
            }
            HostHooks.deleteValue(result);
        }
    }

    @Test
    void failuresBecomeErrorAndTheLastErrorTellsWhy() {
        assertEquals("0 hello", call("tpEcho", "hello"));
        // A checked exception: its message alone, read as often as asked.
        assertEquals("0 ERROR", call("tpFeedback", "No driver"));
        assertEquals("0 No driver", call("tpLastError"));
        assertEquals("0 No driver", call("tpLastError"));
        // An unchecked one: class name and message.
        assertEquals("0 ERROR", call("tpUnchecked", "closed"));
        assertEquals("0 java.lang.IllegalStateException: closed", call("tpLastError"));
        // An unchecked wrapper gives way to the checked exception it carries.
        assertEquals("0 ERROR", call("tpWrapped", "inner"));
        assertEquals("0 inner", call("tpLastError"));
        // Any other call clears it: the reader then leaves the result empty.
        assertEquals("0 1", call("tpSuccess"));
        assertEquals("0 untouched", call("tpLastError"));
    }

    @Test
    void nullLeavesTheResultAsItWas() {
        assertEquals("0 untouched", call("tpNull"));
    }

    @Test
    void argumentsBindToTrailingArraysPrimitivesAndBoxes() {
        assertEquals("0 a|null", call("tpJoin", "a"));
        assertEquals("0 a|2:b,c", call("tpJoin", "a", "b", "c"));
        assertEquals("0 x:0", call("tpPrimitive", "x"));
        assertEquals("0 x:7", call("tpPrimitive", "x", "7"));
        assertEquals("0 x:null", call("tpBoxed", "x"));
        // Arguments beyond the parameters are ignored.
        assertEquals("0 x", call("tpEcho", "x", "y"));
    }

    @Test
    void theDispatchersOwnFailuresAreCodes() {
        // No function under the id.
        long result = HostHooks.newValue();
        assertEquals(-3, bridge.doFunction((short) 12345, new long[0], result, false, 0, 0));
        HostHooks.deleteValue(result);
        // A converter that fails: -1, and the method never runs.
        assertEquals("-1 untouched", call("tpAtomic", "5"));
        assertEquals("0 0", call("tpAtomicCalls"));
        assertEquals("0 0", call("tpAtomic", ""));
        assertEquals("0 1", call("tpAtomicCalls"));
    }

    /**
     * The VM runs out of memory while a failure is being logged: the host
     * still gets the failure (ERROR, or the dispatcher's code), never a
     * success, and the last error still tells why.
     */
    @Test
    void failuresReachTheHostWhenLoggingThemRunsOutOfMemory() {
        Handler exhausted = new Handler() {
            @Override
            public void publish(LogRecord record) {
                if (record.getLevel() == Level.SEVERE) {
                    throw new OutOfMemoryError("Java heap space");
                }
            }

            @Override
            public void flush() {
            }

            @Override
            public void close() {
            }
        };
        Logger root = Logger.getLogger("");
        root.addHandler(exhausted);
        try {
            assertEquals("0 ERROR", call("tpUnchecked", "closed"));
            assertEquals("0 java.lang.IllegalStateException: closed", call("tpLastError"));
            assertEquals("-1 untouched", call("tpAtomic", "5"));
            long result = HostHooks.newValue();
            assertEquals(-3, bridge.doFunction((short) 12345, new long[0], result, false, 0, 0));
            HostHooks.deleteValue(result);
        } finally {
            root.removeHandler(exhausted);
        }
        assertEquals("0 hello", call("tpEcho", "hello"));
    }

    @Test
    void theTenThousandthCompletedCallRequestsOneCollection() {
        List<String> messages = new ArrayList<>();
        Handler handler = new Handler() {
            @Override
            public void publish(LogRecord record) {
                messages.add(record.getMessage());
            }

            @Override
            public void flush() {
            }

            @Override
            public void close() {
            }
        };
        Logger log = Logger.getLogger(PluginBridge.class.getName());
        Level level = log.getLevel();
        log.setLevel(Level.FINE);
        log.addHandler(handler);
        try {
            long result = HostHooks.newValue();
            long[] none = new long[0];
            short id = StaticFunction.idForName("tpSuccess");
            for (int i = 0; i < 9999; i++) {
                bridge.doFunction(id, none, result, false, 0, 0);
            }
            // Calls that fail do not count.
            bridge.doFunction((short) 12345, none, result, false, 0, 0);
            assertEquals(9999, bridge.getCallCounter());
            assertEquals(0, messages.stream().filter("Garbage collection"::equals).count());
            bridge.doFunction(id, none, result, false, 0, 0);
            assertEquals(0, bridge.getCallCounter());
            assertEquals(1, messages.stream().filter("Garbage collection"::equals).count());
            HostHooks.deleteValue(result);
        } finally {
            log.removeHandler(handler);
            log.setLevel(level);
            HostHooks.releasePass();
        }
    }

    @Test
    void aThreadAskingForTheContextWaitsForTheNextCall() throws Exception {
        AtomicReference<PluginContext> seen = new AtomicReference<>();
        Thread waiter = new Thread(() -> seen.set(bridge.getCurrentContext()), "context waiter");
        waiter.start();
        long deadline = System.nanoTime() + TimeUnit.SECONDS.toNanos(30);
        while (waiter.getState() != Thread.State.WAITING && System.nanoTime() < deadline) {
            Thread.sleep(1);
        }
        assertEquals(Thread.State.WAITING, waiter.getState());
        assertEquals("0 hi", call("tpEcho", "hi"));
        waiter.join(TimeUnit.SECONDS.toMillis(30));
        assertSame(Thread.currentThread(), seen.get().getFilemakerThread());
    }

    @Test
    void queuedOperationsRunOnTheFileMakerThread() {
        // From the FileMaker thread itself: at once.
        assertEquals("0 op,after", call("tpQueueHere"));
        // From another thread: at the start of the next call, before its own
        // code, and the queuing thread returns after it ran.
        assertEquals("0 queued", call("tpQueueFromThread"));
        assertEquals("0 op ran on " + Thread.currentThread().getName()
            + "; before the call: true; queuer returned after it: true", call("tpQueueResult"));
    }

    @Test
    void withoutADisplayAGuiFunctionRunsOnTheCallingThread() {
        assertEquals("0 " + Thread.currentThread().getName(), call("tpGuiThread"));
        assertEquals("0 1", call("tpOwnContext"));
        assertTrue(HostHooks.registeredCount() >= 0);
    }

    @Test
    void scriptFailuresNameWhatIsMissing() {
        assertEquals("Error 104: There is no script named 'Export' in file 'Invoices'",
            new FmScriptException(104, "Invoices", "Export").getMessage());
        assertEquals("Error 100: There is no file open named 'Invoices'",
            new FmScriptException(100, "Invoices", "Export").getMessage());
        assertEquals("5", new FmScriptException(5, "Invoices", "Export").getMessage());
        assertEquals("(-3): none", new FMException(-3, "none").getMessage());
    }
}
