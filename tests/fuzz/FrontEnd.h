// A front end at the other end of the engine's pipe, playing the fuzz input as its side of the
// conversation. A real front end does not pour a whole game into the pipe at once: it sends a
// command or a few, and waits for the engine. So the input is read as bursts of lines, split
// at empty lines, and each burst is held back until the engine is ready for it:
//
//   - after one empty line, the burst arrives when the engine waits for input (it has answered
//     everything before it: a "go" has its move, an "usermove" its reply);
//   - after n >= 2 empty lines, it arrives while the engine thinks: when the engine has looked
//     at its input n - 1 times and found nothing, or sooner, when it waits.
//
// A last burst "quit" arrives when the engine waits, as a front end ends; the pipe stays open
// after it, so an engine that does not quit hangs, and the fuzzer reports a timeout.
//
// The engine's looks are seen through poll(2), which the fuzz targets that use this link
// wrapped (-Wl,--wrap=poll): the engine waits with a timeout of -1 and looks with 0. All of
// this happens on the engine's own thread, so a run depends on the input only.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// The most lines of input a target that searches on command reads (the rest is left out): a
// line may start a search or two, and a run must end in a few seconds.
inline constexpr std::size_t MAX_LINES = 600;

class FrontEnd {
 public:
  // The bursts of `input`, and the pipe they go through. `trace`, when not null, gets every
  // burst as it is sent, each line after "> ".
  explicit FrontEnd(std::string_view input, std::ostream* trace = nullptr);
  ~FrontEnd();
  FrontEnd(const FrontEnd&) = delete;
  FrontEnd& operator=(const FrontEnd&) = delete;

  // Whether the pipe could be made big enough for every burst; the input is left out if not.
  bool Ready() const { return ready_; }
  // The end of the pipe the engine reads.
  int EngineEnd() const { return ends_[0]; }
  // The longest a burst may be.
  static constexpr std::size_t MAX_BURST = 128 * 1024;

  // What the wrapped poll reports: the engine looks at `descriptor`, waiting or not.
  static void Looking(int descriptor, bool waiting);
  // Whether the engine's looks at its input are seen here; if not (it waits for its input
  // some other way than poll), no burst but the first would ever arrive.
  static bool SeesTheEngineLook();

 private:
  struct Burst {
    std::string text;    // its lines, each with its line end
    int afterLooks = 0;  // 0: it arrives when the engine waits; else after so many looks
  };
  void OnLook(bool waiting);
  void SendNext();

  std::vector<Burst> bursts_;
  std::size_t next_ = 0;
  int looks_ = 0;
  int allLooks_ = 0;
  int ends_[2] = {-1, -1};
  bool ready_ = false;
  std::ostream* trace_;
};

}  // namespace fuzz
