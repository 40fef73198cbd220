#pragma once
// Pieces of the JSON lines the programs print: named numbers, arrays and strings appended to a
// line being built.

#include <cstdio>
#include <string>

namespace skyrings::script {

inline void AppendString(std::string& out, const std::string& text) {
  out += '"';
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += c;
    }
  }
  out += '"';
}

template <typename Values>
void AppendArray(std::string& out, const char* name, const Values& values) {
  out += ",\"";
  out += name;
  out += "\":[";
  for (std::size_t n = 0; n < values.size(); ++n) {
    if (n > 0) out += ',';
    out += std::to_string(values[n]);
  }
  out += ']';
}

inline void AppendNumber(std::string& out, const char* name, long value) {
  out += ",\"";
  out += name;
  out += "\":";
  out += std::to_string(value);
}

}  // namespace skyrings::script
