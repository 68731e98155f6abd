// How to reach one node from another, from their relation paths alone.
#pragma once

#include <string_view>

#include "verdel/memory.h"

namespace verdel {

// Writes into out the steps that lead from the node at path `from` to the node at path `to`:
// "parent" once per level climbed from `from`, then the steps of `to` below the common ancestor,
// joined by ".". Paths are compared step by step (a step ends at "."), so root.a is not taken for
// an ancestor of root.ab.c. Empty for equal paths and for paths that share no whole step.
// Throws std::bad_alloc when memory runs out.
void RelationOf(std::string_view to, std::string_view from, ResultText& out);

}  // namespace verdel
