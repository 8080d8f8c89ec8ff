#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>

class QWidget;

// The item dialogs of the track window. Each takes the starting values and returns false on
// Cancel; on OK the values hold the user's choice.
bool askViseme(QWidget* parent, int& viseme, int& weight);
bool askExpression(QWidget* parent, int& expression, int& intensity);
// angleA vertical and angleB horizontal on the pad, angleC on the slider (shown negated).
bool askHeadTurn(QWidget* parent, int& angleA, int& angleB, int& angleC);
bool askScriptCommand(QWidget* parent, std::uint32_t& choice, std::string& type, std::string& parameter);
bool askEventName(QWidget* parent, const QString& title, std::string& name);
bool askPicture(QWidget* parent, const QStringList& pictures, int& index);
bool askSound(QWidget* parent, const QStringList& clips, int& clip, int& volume);

// The five script command types, in the order of the dialog's list.
QStringList scriptCommandTypes();
// Display names of visemes 0 to 14 and of expressions 0 to 6.
QStringList visemeDisplayNames();
QStringList expressionDisplayNames();
std::string visemeShortNameOf(int viseme);
std::string expressionNameOf(int expression);
