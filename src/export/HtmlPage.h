#pragma once

#include <filesystem>
#include <string>

// The page embedding an exported file in the media player control and plug-in, as it is written.
std::string htmlPageText(const std::string& fileName, int width, int height);
// Where the page of `output` goes: the same name with ".html" in place of its extension.
std::filesystem::path htmlPagePath(const std::filesystem::path& output);
// Writes the page beside `output`, replacing any page there; false when it cannot be written.
bool writeHtmlPage(const std::filesystem::path& output, int width, int height);

// The page for an MP4 file: a plain video element, which every current browser plays.
std::string html5PageText(const std::string& fileName, int width, int height);
bool writeHtml5Page(const std::filesystem::path& output, int width, int height);
