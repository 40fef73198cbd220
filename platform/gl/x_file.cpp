#include "platform/gl/x_file.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <tuple>
#include <unordered_map>

#include "platform/common/plain_file.h"

// The reader works in three layers. The lexer turns bytes into tokens (names, numbers, strings,
// GUIDs and punctuation) and refuses anything else. The parser walks the objects the game uses
// (frames, meshes with their normals, materials and texture coordinates, animation sets) and
// skips every other kind, checking each known object's numbers against the counts among them.
// Last, the parsed meshes become what the 3D layer draws: triangles per material, one unit normal
// per vertex, frames in parent-first order and keys in time order.
//
// Memory and time are bounded by the file's size and the limits in x_file.h: nothing is
// allocated from a count before the numbers it counts have been read.

namespace skyrings::gl {

namespace {

Status Bad(const std::string& name, const std::string& what) {
  return Status::Fail(name + ": " + what);
}

bool IsIdentStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsIdentChar(char c) {
  return IsIdentStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// ---- Tokens ----

enum class Tok { kEnd, kName, kNumber, kString, kGuid, kOpen, kClose, kSeparator, kBracket };

struct Token {
  Tok kind = Tok::kEnd;
  std::string_view text;  // names and numbers as written; ';' or ',' for a separator
  std::size_t offset = 0;
  double value = 0;  // numbers
};

class Lexer {
 public:
  Lexer(const std::string& name, std::string_view bytes, std::size_t start)
      : name_(name), bytes_(bytes), at_(start) {}

  // Reads the next token; at the end of the file the token is kEnd.
  Status Next(Token& token) {
    SkipSpaceAndComments();
    token = Token{};
    token.offset = at_;
    const std::size_t n = bytes_.size();
    if (at_ >= n) return Status::Ok();
    const char c = bytes_[at_];
    const std::size_t start = at_;
    if (c == '{' || c == '}' || c == ';' || c == ',' || c == '[' || c == ']') {
      ++at_;
      token.kind = c == '{'               ? Tok::kOpen
                   : c == '}'             ? Tok::kClose
                   : c == '[' || c == ']' ? Tok::kBracket
                                          : Tok::kSeparator;
      token.text = bytes_.substr(start, 1);
      return Status::Ok();
    }
    if (c == '"') {
      ++at_;
      while (at_ < n && bytes_[at_] != '"') {
        if (static_cast<unsigned char>(bytes_[at_]) < 0x20 && bytes_[at_] != '\t') break;
        ++at_;
      }
      if (at_ >= n || bytes_[at_] != '"') return Bad(name_, "malformed: unterminated string");
      ++at_;
      token.kind = Tok::kString;
      token.text = bytes_.substr(start + 1, at_ - start - 2);
      return Status::Ok();
    }
    if (c == '<') {
      ++at_;
      while (at_ < n && bytes_[at_] != '>') {
        const char g = bytes_[at_];
        if (!(IsDigit(g) || (g >= 'A' && g <= 'F') || (g >= 'a' && g <= 'f') || g == '-' ||
              g == ' ')) {
          return Bad(name_, "malformed: bad GUID at offset " + std::to_string(start));
        }
        ++at_;
      }
      if (at_ >= n) return Bad(name_, "truncated: unterminated GUID");
      ++at_;
      token.kind = Tok::kGuid;
      return Status::Ok();
    }
    if (IsIdentStart(c)) {
      while (at_ < n && IsIdentChar(bytes_[at_]))
        ++at_;
      if (at_ - start > 255) return Bad(name_, "malformed: name longer than 255 characters");
      token.kind = Tok::kName;
      token.text = bytes_.substr(start, at_ - start);
      return Status::Ok();
    }
    if (IsDigit(c) || c == '-' || c == '+' || c == '.') return Number(token);
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02x", static_cast<unsigned>(static_cast<unsigned char>(c)));
    return Bad(name_, std::string("not a text .x file (unexpected byte ") + hex + " at offset " +
                          std::to_string(start) + ")");
  }

  // Skips a template's restriction or an array size, "[...]", after its '['.
  Status SkipBrackets() {
    while (at_ < bytes_.size() && bytes_[at_] != ']' && bytes_[at_] != '{' && bytes_[at_] != '}')
      ++at_;
    if (at_ >= bytes_.size() || bytes_[at_] != ']') {
      return Bad(name_, "malformed: unterminated '['");
    }
    ++at_;
    return Status::Ok();
  }

 private:
  void SkipSpaceAndComments() {
    const std::size_t n = bytes_.size();
    while (at_ < n) {
      const char c = bytes_[at_];
      if (IsSpace(c)) {
        ++at_;
      } else if (c == '#' || (c == '/' && at_ + 1 < n && bytes_[at_ + 1] == '/')) {
        while (at_ < n && bytes_[at_] != '\n')
          ++at_;
      } else {
        return;
      }
    }
  }

  char At(std::size_t k) const { return k < bytes_.size() ? bytes_[k] : '\0'; }

  Status Number(Token& token) {
    const std::size_t start = at_;
    const bool sign = bytes_[at_] == '-' || bytes_[at_] == '+';
    bool whole = true;
    if (sign) ++at_;
    std::size_t digits = 0;
    auto skipDigits = [&] {
      while (at_ < bytes_.size() && IsDigit(bytes_[at_])) {
        ++at_;
        ++digits;
      }
    };
    skipDigits();
    if (At(at_) == '.') {
      whole = false;
      ++at_;
      skipDigits();
    }
    const std::size_t mantissaEnd = at_;
    if (At(at_) == 'e' || At(at_) == 'E') {
      whole = false;
      ++at_;
      if (At(at_) == '-' || At(at_) == '+') ++at_;
      while (at_ < bytes_.size() && IsDigit(bytes_[at_]))
        ++at_;
    }
    const std::string_view text = bytes_.substr(start, at_ - start);
    // Some exporters write infinities and not-a-number as "1.#INF" or "-1.#IND".
    if (At(at_) == '#') return Bad(name_, "malformed: number that is not finite");
    if (digits == 0) return Bad(name_, "malformed: stray '" + std::string(text) + "'");
    ++numbers_;
    // An exponent without digits counts for nothing: "1e" is 1.
    std::string_view number = text;
    if (at_ > mantissaEnd && !IsDigit(text.back()))
      number = bytes_.substr(start, mantissaEnd - start);
    if (number.front() == '+') number.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
      // Too large (infinite, refused where it is used) or too small (zero or nearly).
      value = std::strtod(std::string(number).c_str(), nullptr);
    } else if (error != std::errc() || end != number.data() + number.size()) {
      return Bad(name_, "malformed: bad number '" + std::string(text) + "'");
    }
    if (whole && bytes_[start] != '-') {
      // A count can be no larger than what the rest of the file can hold (each element takes
      // at least two bytes); a large index refers to something already read.
      const std::size_t allowed =
          std::max({(bytes_.size() - at_) / 2, numbers_, std::size_t{65536}});
      if (number.size() > 9 || value > static_cast<double>(allowed)) {
        return Bad(name_, "malformed: count " + std::string(number) + " at offset " +
                              std::to_string(start) + " is larger than the file can hold");
      }
    }
    token.kind = Tok::kNumber;
    token.text = text;
    token.value = value;
    return Status::Ok();
  }

  const std::string& name_;
  std::string_view bytes_;
  std::size_t at_;
  std::size_t numbers_ = 0;  // numbers read so far
};

// ---- What the parser keeps ----

struct MeshObject {
  std::vector<Vec3> positions;
  std::vector<std::uint32_t> faceSizes;
  std::vector<std::uint32_t> corners;  // the faces' vertex indices, face after face
  bool hasNormals = false;
  std::vector<Vec3> normals;
  std::vector<std::uint32_t> normalCorners;  // laid out as `corners`
  std::vector<XMaterial> materials;          // empty: one white part
  std::vector<std::uint32_t> faceMaterials;  // one per face when there are materials
};

struct FrameObject {
  std::string name;
  int parent = -1;
  Mat4 transform;
  std::vector<MeshObject> meshes;
};

bool IsCount(double v) {
  return v >= 0 && v == std::floor(v) && v <= 1e9;
}

bool Finite(Vec3 v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Colours are clamped to what the lighting can use; a non-finite one is black.
XMaterial MaterialFrom(const std::vector<double>& v) {
  auto colour = [](double c) {
    return std::isfinite(c) ? std::clamp(static_cast<float>(c), 0.0f, 1.0f) : 0.0f;
  };
  XMaterial m;
  for (int k = 0; k < 4; ++k)
    m.diffuse[k] = colour(v[static_cast<std::size_t>(k)]);
  const auto power = static_cast<float>(v[4]);
  m.power = std::isfinite(power) ? std::clamp(power, 0.0f, 1000.0f) : 0.0f;
  for (int k = 0; k < 3; ++k) {
    m.specular[k] = colour(v[static_cast<std::size_t>(5 + k)]);
    m.emissive[k] = colour(v[static_cast<std::size_t>(8 + k)]);
  }
  return m;
}

// The rotation of a matrix's upper-left 3 x 3 part with unit columns, as a unit quaternion.
Quat QuatFromRotation(const Mat4& r) {
  const float trace = r.at(0, 0) + r.at(1, 1) + r.at(2, 2);
  Quat q;
  if (trace > 0) {
    const float s = std::sqrt(trace + 1) * 2;
    q = {s / 4, (r.at(2, 1) - r.at(1, 2)) / s, (r.at(0, 2) - r.at(2, 0)) / s,
         (r.at(1, 0) - r.at(0, 1)) / s};
  } else if (r.at(0, 0) > r.at(1, 1) && r.at(0, 0) > r.at(2, 2)) {
    const float s = std::sqrt(1 + r.at(0, 0) - r.at(1, 1) - r.at(2, 2)) * 2;
    q = {(r.at(2, 1) - r.at(1, 2)) / s, s / 4, (r.at(0, 1) + r.at(1, 0)) / s,
         (r.at(0, 2) + r.at(2, 0)) / s};
  } else if (r.at(1, 1) > r.at(2, 2)) {
    const float s = std::sqrt(1 + r.at(1, 1) - r.at(0, 0) - r.at(2, 2)) * 2;
    q = {(r.at(0, 2) - r.at(2, 0)) / s, (r.at(0, 1) + r.at(1, 0)) / s, s / 4,
         (r.at(1, 2) + r.at(2, 1)) / s};
  } else {
    const float s = std::sqrt(1 + r.at(2, 2) - r.at(0, 0) - r.at(1, 1)) * 2;
    q = {(r.at(1, 0) - r.at(0, 1)) / s, (r.at(0, 2) + r.at(2, 0)) / s,
         (r.at(1, 2) + r.at(2, 1)) / s, s / 4};
  }
  return q;
}

// ---- The parser ----

// The kinds of object the reader knows, and which of them may hold objects.
bool IsLeaf(std::string_view type) {
  return type == "FrameTransformMatrix" || type == "MeshNormals" || type == "MeshTextureCoords" ||
         type == "MeshVertexColors" || type == "AnimationKey" || type == "AnimationOptions" ||
         type == "Header" || type == "TextureFilename";
}

class Parser {
 public:
  Parser(const std::string& name, std::string_view bytes) : name_(name), lexer_(name, bytes, 16) {}

  // Reads the objects after the header and builds the scene from them.
  Status Parse(XScene& out);

 private:
  // A nested object's head (type and name, read up to its '{'), or a reference "{ name }".
  struct Child {
    bool end = false;  // the parent's '}' came instead
    bool reference = false;
    std::string type;
    std::string name;
  };

  Status Fail(const std::string& what) const { return Bad(name_, "malformed: " + what); }
  Status Take(Token& token);
  void PutBack(const Token& token) {
    pending_ = token;
    hasPending_ = true;
  }
  // Opens an object: its nesting depth and the count of objects are limited.
  Status Enter(bool typed);
  void Leave() { --depth_; }
  // Reads an object's name, if it has one, and its '{' after the type name.
  Status ReadHead(const Token& typeToken, const std::string& parentType, Child& head);
  // Reads the numbers of a known object up to its first child or its '}'. Each is followed by
  // ';' or ',' (how many, and which, does not matter).
  Status ReadData(const std::string& type, std::vector<double>& values);
  // After the data: the next nested object or reference, or the object's end.
  Status NextChild(const std::string& type, Child& child);
  // Skips the rest of an object of a kind the game does not use, up to its '}'.
  Status SkipObject(bool isTemplate);
  Status SkipChild(const Child& child);
  // A leaf object: numbers only, then '}'.
  Status ReadLeaf(const std::string& type, std::vector<double>& values, const MeshObject* mesh);
  Status ReadTextureFilename();
  Status CheckLayout(const std::string& type, const std::vector<double>& v,
                     const MeshObject* mesh) const;

  Status ReadFrame(int parent, const std::string& frameName);
  Status ReadMesh(MeshObject& mesh);
  Status ReadMaterialList(MeshObject& mesh);
  Status ReadMaterial(const std::string& materialName, XMaterial& material);
  Status ReadAnimationSet(bool keep);
  Status ReadAnimation(bool keep);
  Status AddKeys(const std::vector<double>& v, XChannel& channel);

  Status BuildScene(XScene& out) const;

  const std::string& name_;
  Lexer lexer_;
  Token pending_;
  bool hasPending_ = false;
  bool commaAfterData_ = false;  // the separators after the last data have a ','
  int depth_ = 0;
  std::size_t objects_ = 0;
  std::size_t vertices_ = 0, faces_ = 0, corners_ = 0, keys_ = 0;

  std::vector<FrameObject> frames_;  // parents before their children; -1 at the file's top
  std::vector<MeshObject> topMeshes_;
  std::map<std::string, XMaterial, std::less<>> materialsByName_;  // the first of each name
  bool sawAnimationSet_ = false;
  struct Animated {
    std::string frame;
    XChannel channel;
  };
  std::vector<Animated> animated_;
};

Status Parser::Take(Token& token) {
  if (hasPending_) {
    token = pending_;
    hasPending_ = false;
    return Status::Ok();
  }
  return lexer_.Next(token);
}

Status Parser::Enter(bool typed) {
  if (depth_ >= kMaxXNesting) {
    return Fail("objects nested more than " + std::to_string(kMaxXNesting) + " deep");
  }
  if (typed && ++objects_ > kMaxXObjects) {
    return Fail("more than " + std::to_string(kMaxXObjects) + " objects");
  }
  ++depth_;
  return Status::Ok();
}

Status Parser::ReadHead(const Token& typeToken, const std::string& parentType, Child& head) {
  head.type = std::string(typeToken.text);
  Token token;
  if (Status s = Take(token); !s) return s;
  if (token.kind == Tok::kName) {
    head.name = std::string(token.text);
    if (Status s = Take(token); !s) return s;
  }
  if (token.kind == Tok::kOpen) return Status::Ok();
  if (token.kind == Tok::kEnd) return Bad(name_, "truncated: object without its '{'");
  return Fail("stray name '" + head.type + "'" + (parentType.empty() ? "" : " in " + parentType));
}

Status Parser::ReadData(const std::string& type, std::vector<double>& values) {
  commaAfterData_ = false;
  Token token;
  for (;;) {
    if (Status s = Take(token); !s) return s;
    if (token.kind == Tok::kNumber) {
      values.push_back(token.value);
      const std::size_t after = token.offset + token.text.size();
      if (Status s = Take(token); !s) return s;
      if (token.kind != Tok::kSeparator) {
        return Fail("no separator after a value at offset " + std::to_string(after));
      }
      commaAfterData_ = token.text == ",";
    } else if (token.kind == Tok::kSeparator) {
      commaAfterData_ = commaAfterData_ || token.text == ",";
    } else if (token.kind == Tok::kString) {
      return Fail("stray string in " + type);
    } else if (token.kind == Tok::kBracket) {
      return Fail("stray '" + std::string(token.text) + "' in " + type);
    } else if (token.kind == Tok::kEnd) {
      return Bad(name_, "truncated: unclosed '{' in " + type);
    } else if (token.kind != Tok::kGuid) {
      PutBack(token);
      return Status::Ok();
    }
  }
}

Status Parser::NextChild(const std::string& type, Child& child) {
  child = Child{};
  // A ',' since the data or the last object: another element of the data would be due.
  bool comma = commaAfterData_;
  commaAfterData_ = false;
  Token token;
  for (;;) {
    if (Status s = Take(token); !s) return s;
    switch (token.kind) {
      case Tok::kEnd:
        return Bad(name_, "truncated: unclosed '{' in " + type);
      case Tok::kClose:
        child.end = true;
        return Status::Ok();
      case Tok::kSeparator:
        comma = comma || token.text == ",";
        continue;
      case Tok::kGuid:
        continue;
      case Tok::kNumber:
        return Fail("stray value " + std::string(token.text) + " in " + type);
      case Tok::kString:
        return Fail("stray string in " + type);
      case Tok::kBracket:
        return Fail("stray '" + std::string(token.text) + "' in " + type);
      case Tok::kOpen:
      case Tok::kName:
        break;
    }
    if (IsLeaf(type)) return Fail("an object inside " + type);
    if (comma) return Fail("stray ',' before an object in " + type);
    if (token.kind == Tok::kName) return ReadHead(token, type, child);
    // A reference: one name (and perhaps a GUID). Only an animation (the frame it moves) and a
    // material list (one of its materials) take one.
    if (type != "Animation" && type != "MeshMaterialList") {
      return Fail("object without a type at offset " + std::to_string(token.offset));
    }
    child.reference = true;
    if (Status s = Take(token); !s) return s;
    if (token.kind != Tok::kName) return Fail("bad reference in " + type);
    child.name = std::string(token.text);
    if (Status s = Take(token); !s) return s;
    if (token.kind == Tok::kGuid) {
      if (Status s = Take(token); !s) return s;
    }
    if (token.kind != Tok::kClose) return Fail("bad reference in " + type);
    return Status::Ok();
  }
}

Status Parser::SkipObject(bool isTemplate) {
  int open = 1;
  Token token;
  while (open > 0) {
    if (Status s = Take(token); !s) return s;
    switch (token.kind) {
      case Tok::kEnd:
        return Bad(name_, "truncated: " + std::to_string(depth_) + " unclosed '{'");
      case Tok::kOpen:
        if (isTemplate) return Fail("'{' in a template");
        if (Status s = Enter(true); !s) return s;
        ++open;
        break;
      case Tok::kClose:
        if (--open > 0) Leave();
        break;
      case Tok::kBracket:
        // A template's restriction, "[...]" or a list of the templates it admits, and array
        // sizes are skipped whole.
        if (token.text == "[") {
          if (Status s = lexer_.SkipBrackets(); !s) return s;
        }
        break;
      default:
        break;
    }
  }
  return Status::Ok();
}

Status Parser::SkipChild(const Child& child) {
  if (child.reference) return Status::Ok();
  const bool isTemplate = child.type == "template";
  if (Status s = Enter(!isTemplate); !s) return s;
  if (Status s = SkipObject(isTemplate); !s) return s;
  Leave();
  return Status::Ok();
}

Status Parser::ReadLeaf(const std::string& type, std::vector<double>& values,
                        const MeshObject* mesh) {
  if (Status s = Enter(true); !s) return s;
  if (Status s = ReadData(type, values); !s) return s;
  Child end;
  if (Status s = NextChild(type, end); !s) return s;
  Leave();
  return CheckLayout(type, values, mesh);
}

Status Parser::ReadTextureFilename() {
  if (Status s = Enter(true); !s) return s;
  Token token;
  for (;;) {
    if (Status s = Take(token); !s) return s;
    if (token.kind == Tok::kClose) break;
    if (token.kind == Tok::kString || token.kind == Tok::kSeparator) continue;
    if (token.kind == Tok::kNumber) return Fail("TextureFilename data does not match its counts");
    if (token.kind == Tok::kEnd) return Bad(name_, "truncated: unclosed '{' in TextureFilename");
    if (token.kind == Tok::kName) {
      return Fail("stray name '" + std::string(token.text) + "' in TextureFilename");
    }
    return Fail("an object inside TextureFilename");
  }
  Leave();
  return Status::Ok();
}

// Checks the numbers of a known object against the counts among them and against its mesh:
// everything built from them afterwards may trust the counts and indices.
Status Parser::CheckLayout(const std::string& type, const std::vector<double>& v,
                           const MeshObject* mesh) const {
  const Status mismatch = Fail(type + " data does not match its counts");
  auto exactly = [&](std::size_t count) { return v.size() == count ? Status::Ok() : mismatch; };
  if (type == "Mesh" || type == "MeshNormals") {
    if (v.empty() || !IsCount(v[0])) return mismatch;
    const auto points = static_cast<std::size_t>(v[0]);
    std::size_t k = 1 + 3 * points;
    if (k >= v.size() || !IsCount(v[k])) return mismatch;
    const auto faces = static_cast<std::size_t>(v[k++]);
    if (mesh != nullptr && faces != mesh->faceSizes.size()) {
      return Fail("normals' faces do not match the mesh's faces");
    }
    for (std::size_t f = 0; f < faces; ++f) {
      if (k >= v.size() || !IsCount(v[k])) return mismatch;
      const auto corners = static_cast<std::size_t>(v[k++]);
      if (corners < 3) {
        return Fail(type + " face " + std::to_string(f) + " has fewer than 3 corners");
      }
      if (corners > v.size() - k) return mismatch;
      if (mesh != nullptr && corners != mesh->faceSizes[f]) {
        return Fail("normals' faces do not match the mesh's faces");
      }
      for (std::size_t c = 0; c < corners; ++c, ++k) {
        if (!IsCount(v[k]) || v[k] >= static_cast<double>(points)) {
          return Fail(type + " face " + std::to_string(f) + " has a vertex index out of range");
        }
      }
    }
    return exactly(k);
  }
  if (type == "MeshMaterialList") {
    if (v.size() < 2 || !IsCount(v[0]) || !IsCount(v[1])) return mismatch;
    const auto indices = static_cast<std::size_t>(v[1]);
    if (v.size() != 2 + indices) return mismatch;
    for (std::size_t k = 2; k < v.size(); ++k) {
      if (!IsCount(v[k]) || v[k] >= v[0]) return Fail("material index out of range");
    }
    if (indices != mesh->faceSizes.size()) {
      return Fail("material list does not give every face a material");
    }
    return Status::Ok();
  }
  if (type == "MeshTextureCoords") {
    if (v.empty() || !IsCount(v[0])) return mismatch;
    if (static_cast<std::size_t>(v[0]) != mesh->positions.size()) {
      return Fail("texture coordinates do not match the mesh's vertices");
    }
    return exactly(1 + 2 * static_cast<std::size_t>(v[0]));
  }
  if (type == "MeshVertexColors") {
    if (v.empty() || !IsCount(v[0])) return mismatch;
    const auto colours = static_cast<std::size_t>(v[0]);
    if (v.size() != 1 + 5 * colours) return mismatch;
    if (colours != mesh->positions.size()) {
      return Fail("vertex colours do not match the mesh's vertices");
    }
    for (std::size_t c = 0; c < colours; ++c) {
      const double index = v[1 + 5 * c];
      if (!IsCount(index) || index >= static_cast<double>(colours)) {
        return Fail("vertex colour index out of range");
      }
    }
    return Status::Ok();
  }
  if (type == "AnimationKey") {
    if (v.size() < 2 || !IsCount(v[0]) || !IsCount(v[1])) return mismatch;
    const auto kind = static_cast<int>(v[0]);
    if (kind > 4) return Fail("unknown animation key type " + std::to_string(kind));
    const std::size_t width = kind == 0 ? 4 : (kind == 1 || kind == 2) ? 3 : 16;
    const auto keys = static_cast<std::size_t>(v[1]);
    std::size_t k = 2;
    for (std::size_t key = 0; key < keys; ++key) {
      if (k + 2 > v.size() || !IsCount(v[k]) || v[k + 1] != static_cast<double>(width)) {
        return mismatch;
      }
      k += 2 + width;
    }
    return exactly(k);
  }
  if (type == "Material") return exactly(11);
  if (type == "FrameTransformMatrix") return exactly(16);
  if (type == "AnimationOptions" || type == "Header") {
    if (v.size() != (type == "Header" ? 3u : 2u)) return mismatch;
    for (double value : v) {
      if (!IsCount(value)) return mismatch;
    }
    return Status::Ok();
  }
  return exactly(0);  // Frame, Animation, AnimationSet
}

Status Parser::Parse(XScene& out) {
  Token token;
  for (;;) {
    if (Status s = Take(token); !s) return s;
    switch (token.kind) {
      case Tok::kEnd:
        return BuildScene(out);
      case Tok::kSeparator:
        continue;  // between objects
      case Tok::kOpen:
        return Fail("object without a type at offset " + std::to_string(token.offset));
      case Tok::kClose:
        return Fail("'}' without '{'");
      case Tok::kNumber:
        return Fail("stray value " + std::string(token.text));
      case Tok::kString:
        return Fail("stray string");
      case Tok::kGuid:
        return Fail("stray GUID at offset " + std::to_string(token.offset));
      case Tok::kBracket:
        return Fail("stray '" + std::string(token.text) + "' at offset " +
                    std::to_string(token.offset));
      case Tok::kName:
        break;
    }
    Child object;
    if (Status s = ReadHead(token, "", object); !s) return s;
    Status s = Status::Ok();
    if (object.type == "Frame") {
      s = ReadFrame(-1, object.name);
    } else if (object.type == "Mesh") {
      topMeshes_.emplace_back();
      s = ReadMesh(topMeshes_.back());
    } else if (object.type == "Material") {
      XMaterial unused;
      s = ReadMaterial(object.name, unused);
    } else if (object.type == "AnimationSet") {
      // The game plays the file's first animation set.
      s = ReadAnimationSet(!sawAnimationSet_);
      sawAnimationSet_ = true;
    } else if (object.type == "Header") {
      std::vector<double> values;
      s = ReadLeaf("Header", values, nullptr);
    } else {
      s = SkipChild(object);
    }
    if (!s) return s;
  }
}

Status Parser::ReadFrame(int parent, const std::string& frameName) {
  if (Status s = Enter(true); !s) return s;
  const int index = static_cast<int>(frames_.size());
  frames_.push_back({frameName, parent, Mat4{}, {}});
  std::vector<double> values;
  if (Status s = ReadData("Frame", values); !s) return s;
  if (Status s = CheckLayout("Frame", values, nullptr); !s) return s;
  for (;;) {
    Child child;
    if (Status s = NextChild("Frame", child); !s) return s;
    if (child.end) break;
    Status s = Status::Ok();
    if (child.type == "FrameTransformMatrix") {
      s = ReadLeaf(child.type, values, nullptr);
      if (!s) return s;
      Mat4& m = frames_[static_cast<std::size_t>(index)].transform;
      // The file's rows are the matrix's columns: the last one holds the origin.
      for (std::size_t k = 0; k < 16; ++k) {
        m.m[k] = static_cast<float>(values[k]);
        if (!std::isfinite(m.m[k])) return Fail("frame '" + frameName + "' matrix is not finite");
      }
      values.clear();
    } else if (child.type == "Frame") {
      s = ReadFrame(index, child.name);
    } else if (child.type == "Mesh") {
      MeshObject mesh;
      s = ReadMesh(mesh);
      frames_[static_cast<std::size_t>(index)].meshes.push_back(std::move(mesh));
    } else {
      s = SkipChild(child);
    }
    if (!s) return s;
  }
  Leave();
  return Status::Ok();
}

Status Parser::ReadMesh(MeshObject& mesh) {
  if (Status s = Enter(true); !s) return s;
  {
    std::vector<double> v;
    if (Status s = ReadData("Mesh", v); !s) return s;
    if (Status s = CheckLayout("Mesh", v, nullptr); !s) return s;
    const auto points = static_cast<std::size_t>(v[0]);
    std::size_t k = 1;
    mesh.positions.resize(points);
    for (std::size_t p = 0; p < points; ++p, k += 3) {
      Vec3& position = mesh.positions[p];
      position = {static_cast<float>(v[k]), static_cast<float>(v[k + 1]),
                  static_cast<float>(v[k + 2])};
      if (!Finite(position)) return Fail("vertex " + std::to_string(p) + " is not finite");
    }
    const auto faces = static_cast<std::size_t>(v[k++]);
    mesh.faceSizes.reserve(faces);
    mesh.corners.reserve(v.size() - k - faces);
    for (std::size_t f = 0; f < faces; ++f) {
      const auto size = static_cast<std::uint32_t>(v[k++]);
      mesh.faceSizes.push_back(size);
      for (std::uint32_t c = 0; c < size; ++c)
        mesh.corners.push_back(static_cast<std::uint32_t>(v[k++]));
    }
  }
  vertices_ += mesh.positions.size();
  faces_ += mesh.faceSizes.size();
  corners_ += mesh.corners.size();
  if (vertices_ > kMaxXVertices || faces_ > kMaxXVertices) {
    return Fail("more than " + std::to_string(kMaxXVertices) + " vertices or faces in its meshes");
  }
  if (corners_ > kMaxXCorners) {
    return Fail("more than " + std::to_string(kMaxXCorners) + " face corners in its meshes");
  }
  for (;;) {
    Child child;
    if (Status s = NextChild("Mesh", child); !s) return s;
    if (child.end) break;
    std::vector<double> v;
    Status s = Status::Ok();
    if (child.type == "MeshNormals") {
      s = ReadLeaf(child.type, v, &mesh);
      if (!s) return s;
      // Kept as written: a normal that cannot be used is replaced when the triangles are built.
      const auto count = static_cast<std::size_t>(v[0]);
      mesh.hasNormals = true;
      mesh.normals.resize(count);
      std::size_t k = 1;
      for (std::size_t n = 0; n < count; ++n, k += 3) {
        mesh.normals[n] = {static_cast<float>(v[k]), static_cast<float>(v[k + 1]),
                           static_cast<float>(v[k + 2])};
      }
      mesh.normalCorners.clear();
      ++k;  // the face count, checked to be the mesh's
      for (std::uint32_t size : mesh.faceSizes) {
        ++k;
        for (std::uint32_t c = 0; c < size; ++c)
          mesh.normalCorners.push_back(static_cast<std::uint32_t>(v[k++]));
      }
    } else if (child.type == "MeshTextureCoords" || child.type == "MeshVertexColors") {
      // Checked, not kept: the game's meshes are lit solid colours.
      s = ReadLeaf(child.type, v, &mesh);
    } else if (child.type == "MeshMaterialList") {
      s = ReadMaterialList(mesh);
    } else {
      s = SkipChild(child);
    }
    if (!s) return s;
  }
  Leave();
  return Status::Ok();
}

Status Parser::ReadMaterialList(MeshObject& mesh) {
  if (Status s = Enter(true); !s) return s;
  std::vector<double> v;
  if (Status s = ReadData("MeshMaterialList", v); !s) return s;
  if (Status s = CheckLayout("MeshMaterialList", v, &mesh); !s) return s;
  const auto announced = static_cast<std::size_t>(v[0]);
  mesh.faceMaterials.assign(v.begin() + 2, v.end());
  mesh.materials.clear();
  for (;;) {
    Child child;
    if (Status s = NextChild("MeshMaterialList", child); !s) return s;
    if (child.end) break;
    if (child.reference) {
      const auto found = materialsByName_.find(child.name);
      if (found == materialsByName_.end()) return Fail("no material named '" + child.name + "'");
      mesh.materials.push_back(found->second);
    } else if (child.type == "Material") {
      mesh.materials.emplace_back();
      if (Status s = ReadMaterial(child.name, mesh.materials.back()); !s) return s;
    } else if (Status s = SkipChild(child); !s) {
      return s;
    }
  }
  // Every face's material must be there to draw it.
  if (mesh.materials.size() != announced) {
    return Fail("material list announces " + std::to_string(announced) + " materials but holds " +
                std::to_string(mesh.materials.size()));
  }
  Leave();
  return Status::Ok();
}

Status Parser::ReadMaterial(const std::string& materialName, XMaterial& material) {
  if (Status s = Enter(true); !s) return s;
  std::vector<double> v;
  if (Status s = ReadData("Material", v); !s) return s;
  if (Status s = CheckLayout("Material", v, nullptr); !s) return s;
  material = MaterialFrom(v);
  for (;;) {
    Child child;
    if (Status s = NextChild("Material", child); !s) return s;
    if (child.end) break;
    Status s = child.type == "TextureFilename" ? ReadTextureFilename() : SkipChild(child);
    if (!s) return s;
  }
  if (!materialName.empty()) materialsByName_.emplace(materialName, material);
  Leave();
  return Status::Ok();
}

Status Parser::ReadAnimationSet(bool keep) {
  if (Status s = Enter(true); !s) return s;
  std::vector<double> v;
  if (Status s = ReadData("AnimationSet", v); !s) return s;
  if (Status s = CheckLayout("AnimationSet", v, nullptr); !s) return s;
  for (;;) {
    Child child;
    if (Status s = NextChild("AnimationSet", child); !s) return s;
    if (child.end) break;
    Status s = child.type == "Animation" ? ReadAnimation(keep) : SkipChild(child);
    if (!s) return s;
  }
  Leave();
  return Status::Ok();
}

Status Parser::ReadAnimation(bool keep) {
  if (Status s = Enter(true); !s) return s;
  std::vector<double> v;
  if (Status s = ReadData("Animation", v); !s) return s;
  if (Status s = CheckLayout("Animation", v, nullptr); !s) return s;
  Animated animated;
  for (;;) {
    Child child;
    if (Status s = NextChild("Animation", child); !s) return s;
    if (child.end) break;
    v.clear();
    Status s = Status::Ok();
    if (child.reference) {
      if (animated.frame.empty()) animated.frame = child.name;  // the frame it moves
    } else if (child.type == "AnimationKey") {
      s = ReadLeaf(child.type, v, nullptr);
      if (s) s = AddKeys(v, animated.channel);
    } else if (child.type == "AnimationOptions") {
      s = ReadLeaf(child.type, v, nullptr);
      // Closed animations (1) wrap over their key range; open ones (0) stop at its ends.
      if (s) animated.channel.closed = v[0] != 0;
    } else {
      s = SkipChild(child);
    }
    if (!s) return s;
  }
  if (keep && !animated.frame.empty()) animated_.push_back(std::move(animated));
  Leave();
  return Status::Ok();
}

Status Parser::AddKeys(const std::vector<double>& v, XChannel& channel) {
  const auto kind = static_cast<int>(v[0]);
  const auto keys = static_cast<std::size_t>(v[1]);
  keys_ += keys;
  if (keys_ > kMaxXVertices) return Fail("more than " + std::to_string(kMaxXVertices) + " keys");
  auto f = [&](std::size_t k) { return static_cast<float>(v[k]); };
  std::size_t k = 2;
  for (std::size_t key = 0; key < keys; ++key) {
    const auto time = static_cast<float>(v[k]);
    const std::size_t at = k + 2;
    k = at + static_cast<std::size_t>(v[k + 1]);
    const char* kinds[] = {"rotation", "scale", "position", "matrix", "matrix"};
    const Status unusable =
        Fail(std::string(kinds[kind]) + " key " + std::to_string(key) + " is not usable");
    if (kind == 0) {
      // The file's quaternion turns row vectors; (-w, x, y, z) is the same turn for the column
      // vectors RotationMatrix() takes (its conjugate, negated).
      Quat q{-f(at), f(at + 1), f(at + 2), f(at + 3)};
      const float len = std::sqrt(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z);
      if (!(len > 1e-12f) || !std::isfinite(len)) return unusable;
      channel.rotations.push_back({time, {q.w / len, q.x / len, q.y / len, q.z / len}});
      continue;
    }
    if (kind == 1 || kind == 2) {
      const Vec3 value{f(at), f(at + 1), f(at + 2)};
      if (!Finite(value)) return unusable;
      (kind == 1 ? channel.scales : channel.positions).push_back({time, value});
      continue;
    }
    // A whole matrix, laid out as a frame's: split into position, rotation and scale.
    Mat4 m;
    for (std::size_t e = 0; e < 16; ++e)
      m.m[e] = f(at + e);
    const Vec3 scale{Length(m.Column(0)), Length(m.Column(1)), Length(m.Column(2))};
    if (!Finite(m.Origin()) || !Finite(scale) || !(scale.x > 0 && scale.y > 0 && scale.z > 0)) {
      return unusable;
    }
    const Mat4 rotation = Basis(m.Column(0) * (1 / scale.x), m.Column(1) * (1 / scale.y),
                                m.Column(2) * (1 / scale.z));
    const Quat q = QuatFromRotation(rotation);
    const float len = std::sqrt(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z);
    if (!(len > 1e-12f) || !std::isfinite(len)) return unusable;
    channel.positions.push_back({time, m.Origin()});
    channel.rotations.push_back({time, {q.w / len, q.x / len, q.y / len, q.z / len}});
    channel.scales.push_back({time, scale});
  }
  return Status::Ok();
}

// ---- From parsed meshes to what is drawn ----

struct CornerKey {
  std::array<std::uint32_t, 6> bits;
  bool operator==(const CornerKey& o) const { return bits == o.bits; }
};
struct CornerKeyHash {
  std::size_t operator()(const CornerKey& k) const {
    std::size_t h = 0;
    for (std::uint32_t b : k.bits)
      h = h * 0x9E3779B97F4A7C15ull + b;
    return h ^ (h >> 29);
  }
};

CornerKey KeyOf(Vec3 p, Vec3 n) {
  const float values[6] = {p.x, p.y, p.z, n.x, n.y, n.z};
  CornerKey key;
  std::memcpy(key.bits.data(), values, sizeof values);
  return key;
}

// Appends one part per material the mesh's faces use, in the list's order: the faces split into
// triangle fans, each vertex with one unit normal. Corners with the same position and normal
// share a vertex.
void BuildParts(const MeshObject& mesh, XMesh& out) {
  const std::size_t materials = std::max<std::size_t>(mesh.materials.size(), 1);
  for (std::size_t material = 0; material < materials; ++material) {
    std::vector<Vec3> positions, fileNormals;
    std::vector<std::uint32_t> triangles;  // into `positions`, one entry per corner
    std::size_t start = 0;
    for (std::size_t f = 0; f < mesh.faceSizes.size(); start += mesh.faceSizes[f], ++f) {
      if (!mesh.materials.empty() && mesh.faceMaterials[f] != material) continue;
      const auto base = static_cast<std::uint32_t>(positions.size());
      const std::uint32_t size = mesh.faceSizes[f];
      for (std::uint32_t c = 0; c < size; ++c) {
        positions.push_back(mesh.positions[mesh.corners[start + c]]);
        if (mesh.hasNormals) fileNormals.push_back(mesh.normals[mesh.normalCorners[start + c]]);
      }
      for (std::uint32_t c = 1; c + 1 < size; ++c) {
        triangles.insert(triangles.end(), {base, base + c, base + c + 1});
      }
    }
    if (triangles.empty()) continue;

    // Where the file has no usable normal: the sum of the faces around the point (every corner
    // at the same place shares it), which smooths the surface.
    std::map<std::tuple<float, float, float>, Vec3> atPoint;
    for (std::size_t t = 0; t < triangles.size(); t += 3) {
      const Vec3 a = positions[triangles[t]];
      const Vec3 b = positions[triangles[t + 1]];
      const Vec3 c = positions[triangles[t + 2]];
      // Clockwise from the front in left-handed coordinates: (b - a) x (c - a) faces the viewer.
      const Vec3 normal = Cross(b - a, c - a);
      for (const Vec3& p : {a, b, c}) {
        Vec3& sum = atPoint[{p.x, p.y, p.z}];
        sum = sum + normal;
      }
    }

    XMeshPart part;
    if (!mesh.materials.empty()) part.material = mesh.materials[material];
    std::unordered_map<CornerKey, std::uint32_t, CornerKeyHash> vertexOf;
    std::vector<std::uint32_t> cornerVertex(positions.size());
    for (std::size_t c = 0; c < positions.size(); ++c) {
      const Vec3 p = positions[c];
      const Vec3 faceSum = atPoint[{p.x, p.y, p.z}];
      Vec3 normal = faceSum;
      if (mesh.hasNormals && Finite(fileNormals[c])) normal = fileNormals[c];
      float len = Length(normal);
      if (!(len > 1e-20f) || !std::isfinite(len)) {
        normal = faceSum;
        len = Length(normal);
      }
      normal = len > 1e-20f && std::isfinite(len) ? normal * (1 / len) : Vec3{0, 0, -1};
      const auto [found, added] =
          vertexOf.emplace(KeyOf(p, normal), static_cast<std::uint32_t>(part.positions.size()));
      if (added) {
        part.positions.push_back(p);
        part.normals.push_back(normal);
      }
      cornerVertex[c] = found->second;
    }
    part.indices.reserve(triangles.size());
    for (std::uint32_t corner : triangles)
      part.indices.push_back(cornerVertex[corner]);
    out.parts.push_back(std::move(part));
  }
}

Status Parser::BuildScene(XScene& out) const {
  out = XScene{};
  std::size_t tops = 0;
  for (const FrameObject& frame : frames_)
    tops += frame.parent < 0 ? 1 : 0;
  if (tops == 0 && topMeshes_.empty()) return Fail("no frames or meshes");
  // One frame at the top is the root. Otherwise a root without a name holds the frames at the
  // top and the meshes outside any frame.
  const bool ownRoot = tops != 1 || !topMeshes_.empty();
  auto convert = [](const std::vector<MeshObject>& meshes, XFrame& frame) {
    XMesh mesh;
    for (const MeshObject& m : meshes)
      BuildParts(m, mesh);
    if (!mesh.parts.empty()) frame.meshes.push_back(std::move(mesh));
  };
  if (ownRoot) {
    out.frames.emplace_back();
    convert(topMeshes_, out.frames.back());
  }
  const int shift = ownRoot ? 1 : 0;
  for (const FrameObject& object : frames_) {
    XFrame frame;
    frame.name = object.name;
    frame.parent = object.parent < 0 ? (ownRoot ? 0 : -1) : object.parent + shift;
    frame.transform = object.transform;
    convert(object.meshes, frame);
    out.frames.push_back(std::move(frame));
  }

  // An animation moves the first frame of the name it gives; one for a frame the file does not
  // have moves nothing.
  std::unordered_map<std::string, int> frameIndex;
  for (std::size_t f = 0; f < out.frames.size(); ++f) {
    if (!out.frames[f].name.empty()) frameIndex.emplace(out.frames[f].name, static_cast<int>(f));
  }
  for (const Animated& animated : animated_) {
    const auto found = frameIndex.find(animated.frame);
    if (found == frameIndex.end()) continue;
    XChannel channel = animated.channel;
    channel.frame = found->second;
    auto byTime = [](const auto& a, const auto& b) { return a.time < b.time; };
    std::stable_sort(channel.positions.begin(), channel.positions.end(), byTime);
    std::stable_sort(channel.rotations.begin(), channel.rotations.end(), byTime);
    std::stable_sort(channel.scales.begin(), channel.scales.end(), byTime);
    out.channels.push_back(std::move(channel));
  }
  return Status::Ok();
}

// A failure is one short line: a bad name is quoted whole.
Status OneShortLine(const std::string& name, const Status& failure) {
  std::string what = failure.error().substr(name.size() + 2);
  for (char& c : what) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  // The start and the end of a long one: the cause is at either end, the quote in the middle.
  constexpr std::size_t kKeep = 100;
  if (what.size() > 2 * kKeep)
    what = what.substr(0, kKeep) + "..." + what.substr(what.size() - kKeep);
  return Bad(name, what);
}

Status ReadXText(const std::string& name, std::string_view bytes, XScene& out) {
  if (bytes.empty()) return Bad(name, "empty file");
  if (bytes.size() > kMaxXFileBytes) {
    return Bad(name, "file too large (" + std::to_string(bytes.size()) + " bytes, at most " +
                         std::to_string(kMaxXFileBytes) + ")");
  }
  if (bytes.size() < 16) return Bad(name, "truncated: too short for a .x header");
  if (bytes.substr(0, 4) != "xof ") return Bad(name, "not a DirectX .x file (bad header)");
  for (std::size_t i = 4; i < 8; ++i) {
    if (!IsDigit(bytes[i])) return Bad(name, "not a DirectX .x file (bad version in header)");
  }
  const std::string_view format = bytes.substr(8, 4);
  if (format == "bin ") return Bad(name, "binary .x files are not supported (text format only)");
  if (format == "tzip" || format == "bzip") {
    return Bad(name, "compressed .x files are not supported (text format only)");
  }
  if (format != "txt ") return Bad(name, "not a DirectX .x file (unknown format in header)");
  const std::string_view floatSize = bytes.substr(12, 4);
  if (floatSize != "0032" && floatSize != "0064") {
    return Bad(name, "not a DirectX .x file (bad float size in header)");
  }
  return Parser(name, bytes).Parse(out);
}

}  // namespace

const XMesh* XScene::FirstMesh() const {
  for (const XFrame& frame : frames) {
    if (!frame.meshes.empty()) return &frame.meshes.front();
  }
  return nullptr;
}

Status ReadXBuffer(const std::string& name, std::string_view bytes, XScene& out) {
  const Status read = ReadXText(name, bytes, out);
  if (!read) out = XScene{};
  return read ? read : OneShortLine(name, read);
}

Status ReadXFile(const std::string& path, XScene& out) {
  std::string bytes;
  if (Status read = ReadPlainFile(path, kMaxXFileBytes, bytes); !read) return read;
  return ReadXBuffer(path, bytes, out);
}

Status XFileCache::Read(const std::string& path, std::shared_ptr<const XScene>& out) {
  std::string bytes;
  if (Status read = ReadPlainFile(path, kMaxXFileBytes, bytes); !read) return read;
  auto entry = std::find_if(entries_.begin(), entries_.end(),
                            [&](const Entry& e) { return e.path == path; });
  if (entry != entries_.end() && entry->bytes == bytes) {
    out = entry->scene;
    std::rotate(entry, entry + 1, entries_.end());
    return Status::Ok();
  }
  if (entry != entries_.end()) entries_.erase(entry);
  auto scene = std::make_shared<XScene>();
  ++parses_;
  if (Status parsed = ReadXBuffer(path, bytes, *scene); !parsed) return parsed;
  if (entries_.size() >= kMaxEntries) entries_.erase(entries_.begin());
  entries_.push_back({path, std::move(bytes), scene});
  out = std::move(scene);
  return Status::Ok();
}

}  // namespace skyrings::gl
