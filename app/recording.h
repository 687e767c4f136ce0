// Recording a session as a sortie-replay input file, and the summary of the game state that
// closes a session. The recorder writes the clock the game was seeded from ("0 clock S"),
// every message the pump dispatched that the input format can express, under the frame it
// came before, a final close, and the summary as comment lines. Every frame's lines are
// flushed as that frame starts, so a crash keeps what was recorded.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/platform.h"

// How every recording begins, so that an earlier one is known by its first line.
constexpr char kRecordingMark[] = "# A session of sortie ";
// The comment line after which a recording holds its summary, one "# " line a value.
constexpr char kSummaryHeading[] = "# the session ended with:";

// Creates the recording at `path`, or replaces an earlier recording there, and writes
// `header` (which begins with kRecordingMark) into it. Any other file at `path` is left
// untouched. False, with a one-line reason in `error`, when the file is not a recording or
// cannot be written.
bool openRecording(const char* path, const char* header, std::string& error);

// How a recording carries the player's saved character list that the session started
// from: each line of it after "0 charlist ", and a last line without a line end after
// "0 charlist-tail ", byte for byte (a '#' in them is no comment).
constexpr char kPlayerListWord[] = "0 charlist";
constexpr char kPlayerListTailWord[] = "0 charlist-tail";

// The seed of the session's random numbers; the main loop's start-up reports it.
void recordClock(int64_t seconds);
// Start-up loaded the player's saved character list (not the game's own): it goes into the
// recording, so that a replay starts from the same list wherever it runs.
void recordPlayerList();
// A message the pump fetched before frame `frame`: recorded when it was dispatched and the
// format has words for it. One fetched at the cap is dropped by the loop, so it is only
// noted as a comment.
void recordPumped(int64_t frame, const Message& message, bool dispatched);
// A frame starts: what was recorded for it goes to the disk.
void flushRecording();
// After shutdown: writes the close that ends the replay where the session ended, and the
// summary. False when any line could not be written.
bool finishRecording();

// The state of the game at the end of a session, one value a line: frames, mode, stage,
// script_counter, vars, countdown, result, entities.
std::string gameSummary();
// The same lines, each started with `prefix`.
void printGameSummary(std::FILE* out, const char* prefix);
