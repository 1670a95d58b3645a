// Tells whether a compile ran code other than the JDK's own and the
// server's: an annotation processor or a compiler plugin, which the compiler
// loads through a class loader of its own.
package org.quenlark.compiler;

import java.lang.instrument.ClassFileTransformer;
import java.lang.instrument.Instrumentation;
import java.security.ProtectionDomain;
import java.util.concurrent.atomic.AtomicBoolean;

/**
 * The jar's launcher agent: the JVM calls {@link #agentmain} before the
 * server's main, with the means to watch every class it defines. The server
 * starts watching after its warm-up; from then on each class defined by a
 * loader other than the JDK's and the server's own marks the compile that
 * runs as foreign. Only definitions are seen, so a compile that loads
 * nothing new costs nothing.
 */
public final class ForeignCode implements ClassFileTransformer {
    // Given by the JVM before main runs, taken once by the server.
    private static Instrumentation instrumentation;

    private final AtomicBoolean seen = new AtomicBoolean();
    private final ClassLoader platform = ClassLoader.getPlatformClassLoader();
    private final ClassLoader application = ClassLoader.getSystemClassLoader();

    public static void agentmain(String options, Instrumentation given) {
        instrumentation = given;
    }

    // Starts watching; null when the JVM gave no means to (the jar was not
    // started with -jar): the server then treats every compile as foreign.
    static ForeignCode watch() {
        if (instrumentation == null) return null;
        ForeignCode watcher = new ForeignCode();
        instrumentation.addTransformer(watcher);
        return watcher;
    }

    // True when foreign code was defined since the last call.
    boolean takeSeen() {
        return seen.getAndSet(false);
    }

    @Override
    public byte[] transform(ClassLoader loader, String name, Class<?> redefined, ProtectionDomain domain,
            byte[] bytes) {
        if (loader != null && loader != platform && loader != application && !reflectionLoader(loader))
            seen.set(true);
        return null;
    }

    // The loader the JDK's reflection defines its own accessors in.
    private static boolean reflectionLoader(ClassLoader loader) {
        return loader.getClass().getName().equals("jdk.internal.reflect.DelegatingClassLoader");
    }
}
