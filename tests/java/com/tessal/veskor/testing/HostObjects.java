package com.tessal.veskor.testing;

import static org.junit.jupiter.api.Assertions.assertEquals;

import java.util.TimeZone;
import org.junit.jupiter.api.extension.AfterEachCallback;
import org.junit.jupiter.api.extension.BeforeEachCallback;
import org.junit.jupiter.api.extension.ExtensionContext;

/**
 * Runs each test between two release passes, as a host call would, and
 * checks the handle rule afterwards: once the pass has run, every host object
 * that the natives made during the test is gone. Also puts back the default
 * time zone and clears injected failures.
 */
public final class HostObjects implements BeforeEachCallback, AfterEachCallback {
    private static final ExtensionContext.Namespace NAMESPACE = ExtensionContext.Namespace.create(HostObjects.class);

    @Override
    public void beforeEach(ExtensionContext context) {
        HostHooks.load();
        HostHooks.clearFailures();
        HostHooks.releasePass();
        ExtensionContext.Store store = context.getStore(NAMESPACE);
        store.put("live", HostHooks.liveTotal());
        store.put("zone", TimeZone.getDefault());
    }

    @Override
    public void afterEach(ExtensionContext context) {
        ExtensionContext.Store store = context.getStore(NAMESPACE);
        TimeZone.setDefault(store.get("zone", TimeZone.class));
        HostHooks.clearFailures();
        HostHooks.releasePass();
        assertEquals(0, HostHooks.registeredCount(), "registered after the release pass");
        long before = store.get("live", Long.class);
        assertEquals(before, HostHooks.liveTotal(), () -> "host objects left alive: " + HostHooks.describeLive());
    }
}
