#pragma once

// Message numbers of the resource library that the document flows report or ask.
constexpr unsigned kMsgImageUnreadable = 0xE81E; // formatted with the path
constexpr unsigned kMsgImageSize = 0xE81F;       // formatted with 256 and 256
constexpr unsigned kMsgNewFailed = 0xE822;
constexpr unsigned kMsgSaveFailed = 0xE824;
constexpr unsigned kMsgRecordingNotStored = 0xE826; // formatted with the path
constexpr unsigned kMsgUseRecording = 0xE827;       // question
constexpr unsigned kMsgVoiceReplacesItems = 0xE828; // question
constexpr unsigned kMsgConversionFailed = 0xE829;
constexpr unsigned kMsgModelBusy = 0xE82A;
constexpr unsigned kMsgSaveRecordingFirst = 0xE82B; // question
constexpr unsigned kMsgSaveRecordingAfter = 0xE82C; // question
constexpr unsigned kMsgCancelled = 0xE82D;          // a flow the user cancelled: need not be shown
constexpr unsigned kMsgDamaged = 0xE82F;
constexpr unsigned kMsgSaveChanges = 0xE849; // question
constexpr unsigned kMsgListFull = 0xE8A0;    // formatted with 100
constexpr unsigned kMsgNameTaken = 0xE8A1;   // formatted with the name

// The size every face texture, mask and background picture must have.
constexpr int kPictureSide = 256;

// The timeline's commands.
constexpr unsigned kMsgNoVoice = 0xE8A2;         // a command that needs the voice, without one
constexpr unsigned kMsgLipSyncFailed = 0xE8A3;   // the analysis could not read or recognise the voice
constexpr unsigned kMsgTextUnreadable = 0xE8A4;  // formatted with the path
constexpr unsigned kMsgHeadTurnsFailed = 0xE8A5; // the head-turn track could not hold the keys
