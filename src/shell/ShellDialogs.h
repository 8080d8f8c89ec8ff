#pragma once

#include "Common/CoreStatus.h"
#include "documents/DocumentProperties.h"
#include "session/SessionPrompts.h"
#include "shell/FrameOptions.h"

#include <QString>
#include <QUrl>

#include <optional>

// Everything the frame asks or shows the user: the session's questions, the file dialogs, the
// message boxes and the document dialogs. The studio installs the real windows; tests install a
// script, so a flow can be driven without a modal window in the way.
class ShellDialogs : public SessionPrompts {
public:
    enum class Icon { information, warning, stop, question };

    // The file picked in an open dialog (`titleId`, filter `filterId`), or nothing on cancel.
    virtual std::optional<QString> openFile(unsigned titleId, unsigned filterId) = 0;
    // The path picked in a save dialog with the overwrite question; `extension` is added when the
    // name has none.
    virtual std::optional<QString> saveFile(unsigned titleId, unsigned filterId, const QString& extension) = 0;
    virtual void showMessage(const QString& text, Icon icon) = 0;
    // Dialog 179: true and `female` set when OK was pressed.
    virtual bool askNewHead(bool& female) = 0;
    // Dialog 228: whether to tell the companion program.
    virtual bool askTellCompanion() = 0;
    virtual bool editOptions(FrameOptions& options, bool timelineAvailable) = 0;
    virtual bool editSummary(SummaryInfo& summary) = 0;
    virtual void showAbout() = 0;
    // Opens a page of the user guide or a web page in the user's browser.
    virtual void openUrl(const QUrl& url) = 0;
    // A name under title and prompt strings of the library; nothing on cancel.
    virtual std::optional<QString> askName(unsigned titleId, unsigned promptId) = 0;
    // The lip-sync dialog: the text the voice speaks, offered as `text` (read from `textFile`, empty
    // when none was found), and whether to recognise the words of a voice left without text; false on
    // Cancel.
    virtual bool askSpokenText(QString& text, bool& recogniseWords, const QString& textFile) = 0;

    // A status record of the core as its message, with the stop icon; a cancelled flow says nothing.
    void showStatus(const CoreStatus& status);
    std::optional<std::string> askSavePath(const std::string& extension) override;
};
