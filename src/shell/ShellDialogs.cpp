#include "shell/ShellDialogs.h"

#include "Common/ResourceIds.h"
#include "session/SessionMessages.h"
#include "shell/ResourceUi.h"

void ShellDialogs::showStatus(const CoreStatus& status)
{
    if (!status.failed() || status.messageId == kMsgCancelled)
        return;
    QString text;
    if (status.messageId != 0)
        text = QString::fromStdString(formatMessage(ResourceUi::text(status.messageId).toStdString(), status.arguments));
    else
        text = QString::fromStdString(fileErrorText(status.fileError, status.path));
    showMessage(text, Icon::stop);
}

std::optional<std::string> ShellDialogs::askSavePath(const std::string& extension)
{
    struct Kind {
        const char* extension;
        unsigned title, filter;
    };
    static const Kind kKinds[] = {
        {"cmp", res::kStrTitleSaveProject, res::kStrFilterProject},
        {"hdp", res::kStrTitleSaveHeadDefinition, res::kStrFilterHeadDefinition},
        {"hap", res::kStrTitleSaveHeadAnimation, res::kStrFilterHeadAnimation},
        {"wav", res::kStrTitleSaveRecording, res::kStrFilterWave},
        {"cmt", res::kStrTitleSaveStream, res::kStrFilterStream},
    };
    for (const Kind& kind : kKinds)
        if (extension == kind.extension) {
            auto path = saveFile(kind.title, kind.filter, QString::fromStdString(extension));
            if (path)
                return path->toStdString();
            return std::nullopt;
        }
    return std::nullopt;
}
