#include "lane/reloadplan.h"

#include <algorithm>

namespace iconlane {

std::vector<ReloadStep> PlanReload(const std::vector<WantedEntry>& shown,
                                   const std::vector<WantedEntry>& wanted) {
    std::size_t same = 0;
    while (same < shown.size() && same < wanted.size() &&
           shown[same].identity == wanted[same].identity) {
        ++same;
    }
    std::vector<ReloadStep> steps;
    for (std::size_t at = 0; at < same; ++at) {
        steps.push_back(shown[at] == wanted[at] ? ReloadStep::kKeep : ReloadStep::kUpdate);
    }
    steps.insert(steps.end(), shown.size() - same, ReloadStep::kDelete);
    steps.insert(steps.end(), wanted.size() - same, ReloadStep::kAdd);
    return steps;
}

}  // namespace iconlane
