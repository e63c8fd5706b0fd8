#pragma once
// The numbers of a run's result line as the game printed them, unrounded: the frame rate
// and, where the line has them, the frames and seconds. The score itself comes from the
// cut of ResultParsing; these are what the result files keep besides it.
#include <string>
#include <string_view>

#include "common/LineList.h"

namespace dx {

struct RateDetails {
  std::string rateText;  // empty when no result line was found
  std::string frames;
  std::string seconds;
};

// From "N frames rendered in S seconds = F fps", the line of the first "seconds =".
RateDetails TimedDemoDetails(std::string_view logText);
// From "timeNetDemo: N frames in S seconds, T ms: F fps", the line before the demo's
// first stop line.
RateDetails NetDemoDetails(const LineList& dump, const std::string& demoArgument);

}  // namespace dx
