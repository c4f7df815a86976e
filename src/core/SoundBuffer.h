#pragma once
// One loaded sound (an effect or a music track), as the game drives it. The
// real back end plays it through the mixer; tests record what was asked.

#include <string>
#include <vector>

namespace quarnix {

class ISoundBuffer {
 public:
  virtual ~ISoundBuffer() = default;
  // Hundredths of a decibel: 0 is the recorded level, -10000 silence; nothing above 0.
  virtual void SetVolume(int volume) = 0;
  // Only 0 (the start) is ever used.
  virtual void SetCurrentPosition(int position) = 0;
  // flags: 0 plays once, 1 loops. Playing a sounding buffer restarts it.
  virtual void Play(int flags) = 0;
  virtual void Stop() = 0;
};

// Remembers every call in order, and the resulting state.
class RecordingSoundBuffer final : public ISoundBuffer {
 public:
  struct Call {
    enum Kind { SetVolume, SetCurrentPosition, Play, Stop } kind;
    int value;  // volume, position or flags; 0 for Stop
    bool operator==(const Call&) const = default;
  };

  void SetVolume(int volume) override { Record({Call::SetVolume, volume}), volume_ = volume; }
  void SetCurrentPosition(int position) override { Record({Call::SetCurrentPosition, position}); }
  void Play(int flags) override {
    Record({Call::Play, flags});
    playing_ = true;
    looping_ = (flags & 1) != 0;
    ++plays_;
  }
  void Stop() override {
    Record({Call::Stop, 0});
    playing_ = false;
  }

  const std::vector<Call>& Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }
  int Volume() const { return volume_; }
  bool Playing() const { return playing_; }
  bool Looping() const { return looping_; }
  int Plays() const { return plays_; }

 private:
  void Record(Call c) { calls_.push_back(c); }
  std::vector<Call> calls_;
  int volume_ = 0;
  bool playing_ = false;
  bool looping_ = false;
  int plays_ = 0;
};

}  // namespace quarnix
