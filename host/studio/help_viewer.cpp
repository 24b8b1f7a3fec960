#include "studio/help_viewer.h"

#include "studio/studio_resources.h"

#include <QFile>

#include <pugixml.hpp>

namespace avrtazu {

std::optional<HelpRequest> HelpRequest::parse(const std::string& text) {
    pugi::xml_document document;
    if (!document.load_string(text.c_str())) {
        return std::nullopt;
    }
    const pugi::xml_node root = document.child("SHOW_HELP");
    if (!root) {
        return std::nullopt;
    }
    HelpRequest request{root.child("FILE").text().get(), root.child("TOPIC").text().get()};
    if (request.file.empty()) {
        return std::nullopt;
    }
    return request;
}

HelpViewer::HelpViewer(QWidget* parent) : QTextBrowser(parent) {
    loadStudioResources();
    setOpenExternalLinks(true);
}

QString HelpViewer::anchorOf(const QString& topic) {
    QString anchor;
    for (const QChar c : topic.toLower()) {
        if (c.isLetterOrNumber()) {
            anchor += c;
        } else if (!anchor.isEmpty() && !anchor.endsWith(QLatin1Char('-'))) {
            anchor += QLatin1Char('-');
        }
    }
    while (anchor.endsWith(QLatin1Char('-'))) {
        anchor.chop(1);
    }
    return anchor;
}

QString HelpViewer::pageOf(const std::string& file) {
    return QStringLiteral(":/studio/help/") + QString::fromStdString(file) +
           QStringLiteral(".html");
}

HelpViewer::Result HelpViewer::showRequest(const std::string& text) {
    const std::optional<HelpRequest> request = HelpRequest::parse(text);
    if (!request) {
        setHtml(QStringLiteral("<h2>Help</h2><p>The request for help was not understood:</p>"
                               "<pre>%1</pre>")
                    .arg(QString::fromStdString(text).toHtmlEscaped()));
        m_topic.clear();
        return Result::NotARequest;
    }
    QFile page(pageOf(request->file));
    if (!page.open(QIODevice::ReadOnly)) {
        setHtml(QStringLiteral("<h2>Help</h2><p>This installation has no help file "
                               "\"%1\".</p>")
                    .arg(QString::fromStdString(request->file).toHtmlEscaped()));
        m_topic.clear();
        return Result::UnknownFile;
    }
    const QString html = QString::fromUtf8(page.readAll());
    setHtml(html);
    m_topic = QString::fromStdString(request->topic);
    const QString anchor = anchorOf(m_topic);
    if (anchor.isEmpty()) {
        m_topic.clear();
        scrollToAnchor(QStringLiteral("top"));
        return Result::Shown;
    }
    if (!html.contains(QStringLiteral("name=\"") + anchor + QLatin1Char('"'))) {
        m_topic.clear();
        return Result::UnknownTopic;
    }
    scrollToAnchor(anchor);
    return Result::Shown;
}

} // namespace avrtazu
