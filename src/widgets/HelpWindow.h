// The help viewer: shows the help file (HTML) at its contents or at one of
// its numbered topics, anchors "contents" and "ctx1" to "ctx4".
#pragma once

#include <QWidget>

class QTextBrowser;

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
    void showTopic(const QString& helpFile, int context);
    QString shownText() const;

private:
    QTextBrowser* m_browser;
};
