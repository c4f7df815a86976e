// needs: quarnix_storage quarnix_input quarnix_content
// quarnix-tool scores [FILE] [--add NAME SCORE LEVEL]: shows a scores file, or
// enters a result the way the end of a game does. Without FILE: the player's
// own table, where the game keeps it.

#include <charconv>
#include <cstdio>
#include <iostream>
#include <string>

#include "Command.h"
#include "PlayerRecords.h"
#include "core/Files.h"
#include "core/ProgramEnd.h"
#include "core/Random.h"
#include "storage/EventFile.h"
#include "storage/Scores.h"

namespace quarnix::tool {
namespace {

int ParseNumber(const std::string& text, const char* what, int min, int max) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < min || value > max)
    throw std::invalid_argument(std::string(what) + " must be a whole number " + std::to_string(min) + ".." +
                                std::to_string(max) + ", not '" + text + "'");
  return value;
}

// Names come from a file that may have been edited: show odd bytes as \xNN.
std::string Printable(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c >= 32 && c < 127 && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      out += escaped;
    }
  }
  return out;
}

void Print(const ScoreBook& book) {
  std::printf("rank  %-26s  score  level\n", "name");
  for (int r = 1; r <= TableLength; ++r) {
    const ScoreRec& e = book.ScoreList(r);
    std::printf("%4d  %-26s  %5d  %5d\n", e.Rank, Printable(e.Name).c_str(), e.Score, e.Level);
  }
  std::printf("saves: %d\n", book.File(661));  // element 661 counts the saves
}

int Run(const Args& all) {
  const auto [named, args] = RecordFileArgument(all, "--add", FileRole::Scores);
  if (!args.empty() && !(args.size() == 4 && args[0] == "--add"))
    throw std::invalid_argument("usage: scores [FILE] [--add NAME SCORE LEVEL]");
  const std::filesystem::path file = ResolveFile(named);
  const bool add = !args.empty();
  const int score = add ? ParseNumber(args[2], "SCORE", 0, 2147483647) : 0;
  const int level = add ? ParseNumber(args[3], "LEVEL", 0, MaxStoredLevel) : 0;
  if (!add && !FileExist(file)) throw std::runtime_error(file.string() + ": no such file");

  // A damaged file ends the game through the event file; here it is reported instead.
  ScopedEndHookThrows endHook;
  Rng random(ClockSeed());
  ScoreBook book;
  try {
    try {
      ReadScores(file, book, random);
    } catch (const DecodeError& e) {
      // The game goes on with the list it had; so does adding a result.
      if (!add) throw std::runtime_error(file.string() + ": " + e.what());
    }
    if (add) {
      if (!ResultQualifies(book.ScoreList, score)) {
        std::printf("a score of %d does not enter the table (20th place: %d)\n", score,
                    book.ScoreList(TableLength).Score);
        return 0;
      }
      EnterResult(file, book, args[1], score, level, random);
    }
  } catch (const ProgramEndRequested&) {
    std::cerr << "quarnix-tool scores: " << file.string()
              << " is damaged: " << LastEvent(ResolveFile(file).parent_path()) << "\n";
    return 1;
  }
  std::printf("scores file: %s\n", file.c_str());
  Print(book);
  return 0;
}

const RegisterCommand registered(
    {"scores",
     "[FILE] [--add NAME SCORE LEVEL]: show a scores file (the player's own without "
     "FILE), or enter a result",
     Run});

}  // namespace
}  // namespace quarnix::tool
