#pragma once

#include "engine/expr_ast.h"
#include "engine/status.h"

#include <string_view>

namespace qorvel::engine {

// Parses the xBase subset: literals ('..', "..", [..], numbers, .T./.F.), names,
// function calls, parentheses, + - * / %, comparisons = == <> # != < <= > >=, $,
// .AND. .OR. .NOT. ! and AND OR NOT without dots in any letter case.
// Errors name the 1-based position and the offending word.
Result<ExprPtr> parseExpression(std::string_view source);

}  // namespace qorvel::engine
