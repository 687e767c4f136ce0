// Sound and music: the media-command channel (music alias "BGM", action-sound alias
// "SHOTVOX"), its command texts and the asynchronous effect call.
#pragma once

constexpr int kTextSize = 160;  // every path, command and data line fits 159 characters

// Reply of the last media command sent through sendMediaCommand; empty after a failure.
extern char MciReply[kTextSize];
// Path of the current music, without the "./" the open command adds; set by the script's
// music command and by stage files, replayed by the keep-alive. Empty at start.
extern char BgmFileName[kTextSize];

// Joins the five pieces into one command, sends it and waits 10 ms unless it is a status
// query. A command of 160 characters or more is not sent and leaves `reply` empty.
void sendMediaCommand(const char* part1, const char* part2, const char* part3, const char* part4,
                      const char* part5, char* reply);

// The media-command interpreter: "open <path> alias <A>", "play <A>", "close <A>" and
// "status <A> mode" for the aliases BGM and SHOTVOX. Returns 0 on success; on failure the
// reply is empty.
int mciSendString(const char* command, char* reply, int replySize);

// "close BGM", "open ./<BgmFileName> alias BGM", "play BGM": the music restarts from its
// beginning.
void restartMusic();

// "close SHOTVOX", "open ./<path> alias SHOTVOX", "play SHOTVOX": a new action sound cuts
// off the one before.
void startShotSound(const char* path);

// Plays a short wave file asynchronously; a new effect cuts off the previous one.
void playEffect(const char* path);

// Back to the start of a run: no alias open, no music named, no reply. Sends nothing (the
// platform that held the sounds may be gone).
void resetMedia();
// Which of the two aliases (kMusicChannel, kShotChannel) is open, for saved states; setting
// it sends nothing.
bool mediaAliasOpen(int channel);
void setMediaAliasOpen(int channel, bool open);
