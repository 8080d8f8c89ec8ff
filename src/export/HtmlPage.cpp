#include "export/HtmlPage.h"

#include "Common/AtomicFile.h"

#include <initializer_list>
#include <utility>
#include <vector>

namespace {

constexpr const char* kControlCab =
    "http://activex.microsoft.com/activex/controls/mplayer/en/nsmp2inf.cab#Version=6,4,5,715";
constexpr const char* kPluginPage = "http://www.microsoft.com/Windows/MediaPlayer/";

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string assemble(std::initializer_list<std::pair<int, const char*>> lines, const std::string& file,
                     int width, int height)
{
    std::string page;
    for (const auto& [tabs, line] : lines) {
        std::string text = replaced(line, "{file}", file);
        text = replaced(text, "{width}", std::to_string(width));
        text = replaced(text, "{height}", std::to_string(height));
        text = replaced(text, "{control-cab}", kControlCab);
        text = replaced(text, "{plugin-page}", kPluginPage);
        page.append(std::size_t(tabs), '\t').append(text).append("\r\n");
    }
    return page;
}

bool writePage(const std::filesystem::path& output, const std::string& text)
{
    if (output.filename().empty())
        return false;
    return writeBytesAtomically(htmlPagePath(output), std::vector<std::uint8_t>(text.begin(), text.end()));
}

} // namespace

std::string htmlPageText(const std::string& fileName, int width, int height)
{
    return assemble(
        {
            {0, "<HTML>"},
            {0, "<META NAME=\"GENERATOR\" CONTENT=\"Chattermask V1.0\">"},
            {0, "<TITLE>Chattermask Streaming Template for Windows Media Player</TITLE>"},
            {0, "<BODY bgcolor=FFFFFF>"},
            {0, "<CENTER>"},
            {0, "<H1>Chattermask Streaming Template for Windows Media Player</H1>"},
            {0, "<!-- Use this segment of code in your page -->"},
            {0, "<OBJECT"},
            {1, "ID=\"MediaPlayer\""},
            {1, "CLASSID=\"CLSID:22d6f312-b0f6-11d0-94ab-0080c74c7e95\""},
            {1, "CODEBASE=\"{control-cab}\""},
            {1, "Standby=\"Loading Microsoft Windows Media Player Components...\" "
                "type=\"application/x-oleobject\">"},
            {1, "<PARAM NAME=\"FileName\" VALUE=\"{file}\">"},
            {1, "<PARAM NAME=\"AutoSize\" VALUE=\"1\">"},
            {1, "<PARAM NAME=\"AutoStart\" VALUE=\"1\">"},
            {1, "<PARAM NAME=\"ShowControls\" VALUE=\"1\">"},
            {1, "<PARAM NAME=\"ShowAudioControls\" VALUE=\"0\">"},
            {1, "<PARAM NAME=\"ShowPositionControls\" VALUE=\"1\">"},
            {1, "<PARAM NAME=\"ShowDisplay\" VALUE=\"0\">"},
            {1, "<PARAM NAME=\"ShowGotoBar\" VALUE=\"1\">"},
            {1, "<PARAM NAME=\"VideoBorder3D\" VALUE=\"1\">"},
            {1, "<!--NETSCAPE PLUG-IN STARTS HERE-->"},
            {1, "<EMBED Type=\"application/x-mplayer2\""},
            {2, "Src=\"{file}\""},
            {2, "Name=MediaPlayer"},
            {2, "Width={width}"},
            {2, "Height={height}"},
            {2, "Pluginspage=\"{plugin-page}\""},
            {2, "AutoSize=1"},
            {2, "AutoStart=1"},
            {2, "ShowControls=0"},
            {2, "ShowDisplay=0"},
            {2, "ShowStatusBar=0>"},
            {0, "</OBJECT>"},
            {0, ""},
            {0, "<!-- End -->"},
            {0, ""},
            {0, "<P><A HREF=\"ICCMSetup.exe\">"},
            {0, "Download Chattermask Codec for Windows Media Player"},
            {0, "</A></P>"},
            {0, "</CENTER>"},
            {0, "<HR>"},
            {0, "</BODY>"},
            {0, "</HTML>"},
        },
        fileName, width, height);
}

std::filesystem::path htmlPagePath(const std::filesystem::path& output)
{
    std::filesystem::path page = output;
    page.replace_extension(".html");
    return page;
}

bool writeHtmlPage(const std::filesystem::path& output, int width, int height)
{
    return writePage(output, htmlPageText(output.filename().string(), width, height));
}

std::string html5PageText(const std::string& fileName, int width, int height)
{
    // The name goes into an attribute: quotes and ampersands would end or garble it.
    std::string escaped = replaced(fileName, "&", "&amp;");
    escaped = replaced(escaped, "\"", "&quot;");
    return assemble(
        {
            {0, "<!DOCTYPE html>"},
            {0, "<html>"},
            {0, "<head>"},
            {1, "<meta charset=\"utf-8\">"},
            {1, "<meta name=\"generator\" content=\"Chattermask V1.0\">"},
            {1, "<title>Chattermask</title>"},
            {0, "</head>"},
            {0, "<body style=\"text-align: center\">"},
            {1, "<video src=\"{file}\" width=\"{width}\" height=\"{height}\" controls autoplay></video>"},
            {0, "</body>"},
            {0, "</html>"},
        },
        escaped, width, height);
}

bool writeHtml5Page(const std::filesystem::path& output, int width, int height)
{
    return writePage(output, html5PageText(output.filename().string(), width, height));
}
