#pragma once

#include <string>

#include "format/doc_builder.h"

namespace quillet {

// What a user wants to know after a build: "12 text records, 45678 bytes of text in 23456
// bytes (51.4%)".
std::string describeDocSummary(const DocBuild& build);

}  // namespace quillet
