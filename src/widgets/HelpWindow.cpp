#include "HelpWindow.h"

#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window), m_browser(new QTextBrowser(this)) {
    setWindowTitle(QStringLiteral("Quenlark ﾍﾙﾌﾟ"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_browser->setOpenLinks(true);
    m_browser->setAccessibleName(QStringLiteral("ヘルプ"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(560, 480);
}

void HelpWindow::showTopic(const QString& helpFile, int context) {
    const QFileInfo info(helpFile);
    if (!info.isFile()) {
        m_browser->setPlainText(QStringLiteral("ヘルプファイル「%1」が見つかりません。").arg(helpFile));
    } else {
        const QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
        if (m_browser->source() != url) m_browser->setSource(url, QTextDocument::HtmlResource);
        m_browser->scrollToAnchor(context >= 1 && context <= 4 ? QStringLiteral("ctx%1").arg(context)
                                                               : QStringLiteral("contents"));
    }
    show();
    raise();
    activateWindow();
}

QString HelpWindow::shownText() const { return m_browser->toPlainText(); }
