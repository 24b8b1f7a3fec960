#pragma once

#include <QString>
#include <QTextBrowser>

#include <optional>
#include <string>

namespace avrtazu {

// A help request of the plug-in: "<SHOW_HELP><FILE>f</FILE><TOPIC>t</TOPIC></SHOW_HELP>".
struct HelpRequest {
    std::string file;
    std::string topic;

    // Nothing for text that is not such a request or names no file.
    static std::optional<HelpRequest> parse(const std::string& text);
};

// Shows the studio's help pages: one page per help file, one section per topic.
class HelpViewer : public QTextBrowser {
    Q_OBJECT

public:
    enum class Result { Shown, UnknownTopic, UnknownFile, NotARequest };

    explicit HelpViewer(QWidget* parent = nullptr);

    // Shows the page of the request's file at its topic (the top for an empty topic). A file
    // or topic the studio has no page for shows a page or the top of the file instead.
    Result showRequest(const std::string& request);
    // The topic shown last; empty for the top of a page.
    const QString& currentTopic() const { return m_topic; }

    // The anchor of a topic in a page: lower case, runs of other characters as one "-".
    static QString anchorOf(const QString& topic);
    // The page of a help file in the studio's resources.
    static QString pageOf(const std::string& file);

private:
    QString m_topic;
};

} // namespace avrtazu
