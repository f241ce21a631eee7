#include "startup/reloadplan.h"

#include <algorithm>

namespace iconlane {

std::vector<ReloadStep> PlanReload(const std::vector<WantedEntry>& shown,
                                   const std::vector<WantedEntry>& wanted) {
    std::vector<ReloadStep> steps;
    std::size_t count = std::max(shown.size(), wanted.size());
    for (std::size_t at = 0; at < count; ++at) {
        if (at >= wanted.size()) {
            steps.push_back(ReloadStep::kDelete);
        } else if (at >= shown.size()) {
            steps.push_back(ReloadStep::kAdd);
        } else {
            steps.push_back(shown[at] == wanted[at] ? ReloadStep::kKeep : ReloadStep::kUpdate);
        }
    }
    return steps;
}

}  // namespace iconlane
