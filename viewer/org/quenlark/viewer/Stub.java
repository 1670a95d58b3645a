// What an applet learns of its page: its bases, its parameters, whether it is
// active, and how it asks for another size.
package org.quenlark.viewer;

import java.applet.AppletContext;
import java.applet.AppletStub;
import java.net.URL;
import java.util.Locale;

@SuppressWarnings("removal")
final class Stub implements AppletStub {
    private final AppletLife life;
    private final AppletContext context;

    Stub(AppletLife life, AppletContext context) {
        this.life = life;
        this.context = context;
    }

    @Override
    public boolean isActive() {
        return life.isActive();
    }

    @Override
    public URL getDocumentBase() {
        return life.documentBase;
    }

    @Override
    public URL getCodeBase() {
        return life.codeBase;
    }

    @Override
    public String getParameter(String name) {
        return name == null ? null : life.tag.params.get(name.toLowerCase(Locale.ROOT));
    }

    @Override
    public AppletContext getAppletContext() {
        return context;
    }

    @Override
    public void appletResize(int width, int height) {
        if (width > 0 && height > 0) life.window.resize(width, height);
    }
}
