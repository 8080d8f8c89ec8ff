#pragma once

#include <QImage>
#include <QString>

class ProjectSession;

// The plain words and pictures a pane shows of the session while its own window is not hosted.
namespace sessionstate {

// "Head: MaleHead, 1234 vertices, 2345 faces", or that no head is loaded.
QString headText(ProjectSession& session);
// "Voice: 01 : 05 (1040000 samples)": minutes and seconds of the voice, or that there is none.
QString voiceText(const ProjectSession& session);
// The items on each track.
QString trackText(const ProjectSession& session);
// The face texture the head model holds (slot 0), or a null image.
QImage faceTexture(ProjectSession& session);
// Minutes and seconds of `samples` at 16 kHz as "%02d : %02d".
QString minutesSeconds(long long samples);

} // namespace sessionstate
