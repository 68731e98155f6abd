#include "verdel/relation.h"

#include <algorithm>
#include <cstddef>

namespace verdel {

namespace {

// The longer path continues the shorter one with a whole step.
bool ExtendsByStep(std::string_view longer, std::string_view shorter) {
    return longer.size() > shorter.size() && longer.substr(0, shorter.size()) == shorter &&
           longer[shorter.size()] == '.';
}

std::size_t StepCount(std::string_view steps) {
    return static_cast<std::size_t>(std::count(steps.begin(), steps.end(), '.')) + 1;
}

void AppendParents(std::size_t count, ResultText& out) {
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) out += '.';
        out += "parent";
    }
}

}  // namespace

void RelationOf(std::string_view to, std::string_view from, ResultText& out) {
    out.clear();
    if (to == from) return;
    if (ExtendsByStep(from, to)) {
        AppendParents(StepCount(from.substr(to.size() + 1)), out);
        return;
    }
    if (ExtendsByStep(to, from)) {
        out.append(to.substr(from.size() + 1));
        return;
    }
    // The common ancestor ends at the last "." that both paths reach unchanged.
    std::size_t same = static_cast<std::size_t>(
        std::mismatch(to.begin(), to.begin() + std::min(to.size(), from.size()), from.begin())
            .first -
        to.begin());
    std::size_t dot = to.substr(0, same).rfind('.');
    if (dot == std::string_view::npos) return;
    AppendParents(StepCount(from.substr(dot + 1)), out);
    out += '.';
    out.append(to.substr(dot + 1));
}

}  // namespace verdel
