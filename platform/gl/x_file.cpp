#include "platform/gl/x_file.h"
#include "platform/gl/plain_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <assimp/Importer.hpp>

namespace skyrings::gl {

namespace {

Status Bad(const std::string& name, const std::string& what) {
  return Status::Fail(name + ": " + what);
}

bool IsIdentStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsIdentChar(char c) {
  return IsIdentStart(c) || (c >= '0' && c <= '9') || c == '-';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// One open `{ ... }` while scanning.
struct OpenObject {
  std::string type;    // the template name before `{`, empty for a reference or anonymous object
  bool known = false;  // a type whose layout is checked
  int identifiers = 0;
  int otherTokens = 0;
  std::string lastIdentifier;
  std::vector<double> values;       // numbers before the first object inside (known types)
  std::vector<std::string> tokens;  // the same numbers as written for the reader
  bool dataChecked = false;
  std::string animatedFrame;    // Animation only
  bool closed = true;           // Animation only
  long materials = 0;           // MeshMaterialList only: Material objects and references in it
  long vertexCount = -1;        // Mesh only, once checked
  std::vector<long> faceSizes;  // Mesh only, once checked
};

bool IsKnownType(const std::string& type) {
  static constexpr std::string_view kKnown[] = {"Mesh",
                                                "MeshNormals",
                                                "MeshMaterialList",
                                                "Material",
                                                "MeshTextureCoords",
                                                "MeshVertexColors",
                                                "FrameTransformMatrix",
                                                "AnimationKey",
                                                "AnimationOptions",
                                                "Frame",
                                                "Animation",
                                                "AnimationSet",
                                                "Header",
                                                "TextureFilename"};
  for (std::string_view k : kKnown) {
    if (type == k) return true;
  }
  return false;
}

bool IsCount(double v) {
  return v >= 0 && v == std::floor(v) && v <= 1e9;
}

// Checks the numbers of a known object against the counts among them (and against its mesh):
// the reader trusts these counts and indices when it builds the meshes.
Status CheckLayout(const std::string& name, OpenObject& object, const OpenObject* parent) {
  object.dataChecked = true;
  const std::vector<double>& v = object.values;
  const std::string& type = object.type;
  const Status mismatch = Bad(name, "malformed: " + type + " data does not match its counts");
  auto exactly = [&](std::size_t count) { return v.size() == count ? Status::Ok() : mismatch; };
  const OpenObject* mesh = parent != nullptr && parent->type == "Mesh" ? parent : nullptr;

  if (type == "Mesh" || type == "MeshNormals") {
    if (v.empty() || !IsCount(v[0])) return mismatch;
    const auto points = static_cast<std::size_t>(v[0]);
    std::size_t k = 1 + 3 * points;
    if (k >= v.size() || !IsCount(v[k])) return mismatch;
    const auto faces = static_cast<std::size_t>(v[k++]);
    std::vector<long> sizes;
    for (std::size_t f = 0; f < faces; ++f) {
      if (k >= v.size() || !IsCount(v[k])) return mismatch;
      const auto corners = static_cast<std::size_t>(v[k++]);
      if (corners < 3) {
        return Bad(name, "malformed: " + type + " face " + std::to_string(f) +
                             " has fewer than 3 corners");
      }
      if (k + corners > v.size()) return mismatch;
      for (std::size_t c = 0; c < corners; ++c, ++k) {
        if (!IsCount(v[k]) || v[k] >= static_cast<double>(points)) {
          return Bad(name, "malformed: " + type + " face " + std::to_string(f) +
                               " has a vertex index out of range");
        }
      }
      sizes.push_back(static_cast<long>(corners));
    }
    if (k != v.size()) return mismatch;
    if (type == "Mesh") {
      object.vertexCount = static_cast<long>(points);
      object.faceSizes = std::move(sizes);
    } else if (mesh != nullptr && sizes != mesh->faceSizes) {
      return Bad(name, "malformed: normals' faces do not match the mesh's faces");
    }
    return Status::Ok();
  }
  if (type == "MeshMaterialList") {
    if (v.size() < 2 || !IsCount(v[0]) || !IsCount(v[1])) return mismatch;
    const auto indices = static_cast<std::size_t>(v[1]);
    if (v.size() != 2 + indices) return mismatch;
    for (std::size_t k = 2; k < v.size(); ++k) {
      if (!IsCount(v[k]) || v[k] >= v[0]) {
        return Bad(name, "malformed: material index out of range");
      }
    }
    if (mesh != nullptr && indices != mesh->faceSizes.size()) {
      return Bad(name, "malformed: material list does not give every face a material");
    }
    return Status::Ok();
  }
  if (type == "MeshTextureCoords") {
    if (v.empty() || !IsCount(v[0])) return mismatch;
    if (mesh != nullptr && static_cast<long>(v[0]) != mesh->vertexCount) {
      return Bad(name, "malformed: texture coordinates do not match the mesh's vertices");
    }
    return exactly(1 + 2 * static_cast<std::size_t>(v[0]));
  }
  if (type == "MeshVertexColors") {
    if (v.empty() || !IsCount(v[0])) return mismatch;
    const auto colours = static_cast<std::size_t>(v[0]);
    if (v.size() != 1 + 5 * colours) return mismatch;
    if (mesh != nullptr && static_cast<long>(colours) != mesh->vertexCount) {
      return Bad(name, "malformed: vertex colours do not match the mesh's vertices");
    }
    for (std::size_t c = 0; c < colours; ++c) {
      const double index = v[1 + 5 * c];
      if (!IsCount(index) || (mesh != nullptr && index >= static_cast<double>(mesh->vertexCount))) {
        return Bad(name, "malformed: vertex colour index out of range");
      }
    }
    return Status::Ok();
  }
  if (type == "AnimationKey") {
    if (v.size() < 2 || !IsCount(v[0]) || !IsCount(v[1])) return mismatch;
    const auto kind = static_cast<int>(v[0]);
    const std::size_t width = kind == 0 ? 4 : (kind == 1 || kind == 2) ? 3 : 16;
    if (kind > 4) return Bad(name, "malformed: unknown animation key type " + std::to_string(kind));
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
  return exactly(0);  // Frame, Animation, AnimationSet, TextureFilename
}

// The checked numbers of a known object with the separators the reader expects between them. The
// reader gives up on a stray or missing separator only after it has built part of the object,
// and what it built then is never freed, so the file's own separators are not passed on. No line
// breaks: the file's own stay where they were, and the reader's line numbers with them.
std::string ReaderData(const OpenObject& object) {
  const std::vector<std::string>& t = object.tokens;
  const std::string& type = object.type;
  std::string out;
  std::size_t k = 0;
  // Real numbers; the reader stops at a whole number where it reads a real (in a matrix).
  // Long ones it cuts off mid-number, so those are written in exponent form.
  auto put = [&](const char* separator) {
    const std::string& token = t[k];
    if (token.size() > 24 && std::isfinite(object.values[k])) {
      char shorter[32];
      std::snprintf(shorter, sizeof shorter, "%.9e", object.values[k]);
      out += shorter;
    } else {
      out += token;
      if (token.find_first_of(".eE") == std::string::npos) out += ".0";
    }
    ++k;
    out += separator;
  };
  // Counts, indices, key times and options are read as integers: "3." or "3e0" would stop the
  // reader, so they are written as the whole numbers they were checked to be.
  auto putWhole = [&](const char* separator) {
    out += std::to_string(static_cast<long>(object.values[k++]));
    out += separator;
  };
  auto count = [&] { return static_cast<std::size_t>(object.values[k]); };
  // `n` elements of `width` numbers each, ';' inside an element and ',' between elements.
  auto elements = [&](std::size_t n, std::size_t width, const char* inside, const char* end) {
    for (std::size_t e = 0; e < n; ++e) {
      for (std::size_t w = 0; w + 1 < width; ++w)
        put(inside);
      put(end);
      out += e + 1 < n ? "," : ";";
    }
  };
  if (type == "Mesh" || type == "MeshNormals") {
    const std::size_t points = count();
    putWhole(";");
    elements(points, 3, ";", ";");
    const std::size_t faces = count();
    putWhole(";");
    for (std::size_t f = 0; f < faces; ++f) {
      const std::size_t corners = count();
      putWhole(";");
      for (std::size_t c = 0; c + 1 < corners; ++c)
        putWhole(",");
      putWhole(";");
      out += f + 1 < faces ? "," : ";";
    }
  } else if (type == "MeshMaterialList") {
    putWhole(";");
    const std::size_t indices = count();
    putWhole(";");
    for (std::size_t e = 0; e < indices; ++e)
      putWhole(e + 1 < indices ? "," : ";");
  } else if (type == "MeshTextureCoords") {
    const std::size_t points = count();
    putWhole(";");
    elements(points, 2, ";", ";");
  } else if (type == "MeshVertexColors") {
    const std::size_t colours = count();
    putWhole(";");
    for (std::size_t e = 0; e < colours; ++e) {
      putWhole(";");
      put(";");
      put(";");
      put(";");
      put(";;");
      out += e + 1 < colours ? "," : ";";
    }
  } else if (type == "AnimationKey") {
    putWhole(";");
    const std::size_t keys = count();
    putWhole(";");
    for (std::size_t key = 0; key < keys; ++key) {
      putWhole(";");
      const std::size_t width = count();
      putWhole(";");
      for (std::size_t w = 0; w + 1 < width; ++w)
        put(",");
      put(";;");
      out += key + 1 < keys ? "," : ";";
    }
  } else if (type == "Material") {
    for (const char* separator : {";", ";", ";", ";;", ";", ";", ";", ";;", ";", ";", ";;"})
      put(separator);
  } else if (type == "FrameTransformMatrix") {
    for (std::size_t e = 0; e < 16; ++e)
      put(e < 15 ? "," : ";;");
  } else {  // AnimationOptions, Header
    while (k < t.size())
      putWhole(";");
  }
  out += ' ';
  return out;
}

// Adds a checked mesh's vertices and faces to the file's totals.
Status CountMesh(const std::string& name, OpenObject& object, std::size_t& vertices,
                 std::size_t& faces) {
  if (object.type != "Mesh") return Status::Ok();
  vertices += static_cast<std::size_t>(object.vertexCount);
  faces += object.faceSizes.size();
  if (vertices > kMaxXVertices || faces > kMaxXVertices) {
    return Bad(name, "malformed: more than " + std::to_string(kMaxXVertices) +
                         " vertices or faces in its meshes");
  }
  // The values are checked; only the face sizes are needed from here on.
  std::vector<double>().swap(object.values);
  return Status::Ok();
}

}  // namespace

Status ScanXText(const std::string& name, std::string_view bytes, std::string& safeText,
                 std::vector<XAnimationOptions>& animations) {
  safeText.clear();
  animations.clear();
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

  safeText.reserve(bytes.size() + bytes.size() / 8);
  safeText.append(bytes.substr(0, 16));
  std::vector<OpenObject> open;
  std::vector<std::string> pendingIdentifiers;    // identifiers since the last punctuation
  std::unordered_set<std::string> materialNames;  // named Material objects so far
  std::size_t numbers = 0;
  std::size_t objectCount = 0;
  std::size_t meshVertices = 0, meshFaces = 0;
  std::size_t namesAt = 0;  // where the pending names start in safeText
  // Templates and objects of other types mean nothing to the reader, which would only skip
  // them, tokenising them its own way: they are left out of safeText. While one is open, this
  // is its depth in `open`.
  std::size_t hiddenAt = SIZE_MAX;
  auto hidden = [&] { return hiddenAt != SIZE_MAX; };
  std::size_t i = 16;
  const std::size_t n = bytes.size();
  auto at = [&](std::size_t k) { return k < n ? bytes[k] : '\0'; };

  // The last token's kind ('n' number, 'i' name, 's' string, '<' GUID, else the punctuation),
  // and the one before the pending names.
  char last = '{';
  char beforeNames = '{';
  // Whether the punctuation since the last other token (or before the pending names) has a ','.
  bool comma = false, commaBeforeNames = false;
  bool separatorDue = false;  // a value of a known object was read: ',' or ';' must follow
  while (i < n) {
    const char c = bytes[i];
    const std::size_t start = i;
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '#' && c != '/' &&
        IsIdentStart(c) && pendingIdentifiers.empty()) {
      beforeNames = last;
      commaBeforeNames = comma;
    }
    const bool significant = c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '#' &&
                             !(c == '/' && at(i + 1) == '/');
    if (significant && separatorDue && c != ';' && c != ',') {
      return Bad(name, "malformed: no separator after a value at offset " + std::to_string(i));
    }
    if (significant) separatorDue = false;
    if (c == ',') {
      comma = true;
    } else if (significant && c != ';') {
      comma = false;
    }
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      ++i;
    } else if (c == '#' || (c == '/' && at(i + 1) == '/')) {
      while (i < n && bytes[i] != '\n')
        ++i;
      // The reader takes a '#' inside a name for part of it: comments are left out of what it
      // sees, so both read the same objects.
      continue;
    } else if (c == '"') {
      ++i;
      while (i < n && bytes[i] != '"') {
        if (static_cast<unsigned char>(bytes[i]) < 0x20 && bytes[i] != '\t') break;
        ++i;
      }
      if (i >= n || bytes[i] != '"') return Bad(name, "malformed: unterminated string");
      ++i;
      if (open.empty()) return Bad(name, "malformed: stray string");
      {
        ++open.back().otherTokens;
        if (open.back().known && open.back().type != "TextureFilename") {
          return Bad(name, "malformed: stray string in " + open.back().type);
        }
      }
      last = 's';
    } else if (c == '<') {
      while (i < n && bytes[i] != '>') {
        const char g = bytes[i];
        if (i > start && !(IsDigit(g) || (g >= 'A' && g <= 'F') || (g >= 'a' && g <= 'f') ||
                           g == '-' || g == ' ')) {
          return Bad(name, "malformed: bad GUID at offset " + std::to_string(start));
        }
        ++i;
      }
      if (i >= n) return Bad(name, "truncated: unterminated GUID");
      ++i;
      last = '<';
      if (!open.empty()) ++open.back().otherTokens;
      // The reader takes a GUID only in a template: in a known object it is left out.
      if (!open.empty() && open.back().known) continue;
    } else if (c == '{') {
      if (open.size() >= static_cast<std::size_t>(kMaxXNesting)) {
        return Bad(name,
                   "malformed: objects nested more than " + std::to_string(kMaxXNesting) + " deep");
      }
      if (pendingIdentifiers.size() > 2 && (open.empty() || open.back().known)) {
        return Bad(name, "malformed: stray name '" + pendingIdentifiers.front() + "'");
      }
      // A reference or an object without a type: the reader takes them only in an animation
      // (the frame it moves) and a material list (a material), and gives up anywhere else after
      // building the objects around it.
      if (pendingIdentifiers.empty() &&
          (open.empty() || (open.back().known && open.back().type != "Animation" &&
                            open.back().type != "MeshMaterialList"))) {
        return Bad(name, "malformed: object without a type at offset " + std::to_string(i));
      }
      OpenObject object;
      if (!pendingIdentifiers.empty()) object.type = pendingIdentifiers.front();
      object.known = IsKnownType(object.type);
      // The reader spends far more on each object than the file does: a small file of many
      // frames or meshes would take hundreds of megabytes.
      if (object.known && ++objectCount > kMaxXObjects) {
        return Bad(name, "malformed: more than " + std::to_string(kMaxXObjects) + " objects");
      }
      if (object.type == "Material" && pendingIdentifiers.size() > 1) {
        materialNames.insert(pendingIdentifiers[1]);
      }
      if (!open.empty()) {
        OpenObject& parent = open.back();
        // Objects the reader reads to their closing brace, taking nothing inside.
        static constexpr std::string_view kLeaves[] = {"FrameTransformMatrix",
                                                       "MeshNormals",
                                                       "MeshTextureCoords",
                                                       "MeshVertexColors",
                                                       "AnimationKey",
                                                       "AnimationOptions",
                                                       "Header",
                                                       "TextureFilename"};
        for (std::string_view leaf : kLeaves) {
          if (parent.type == leaf) return Bad(name, "malformed: an object inside " + parent.type);
        }
        if (!object.type.empty()) ++parent.otherTokens;
        // The reader takes anything but these before an object for an object of its own.
        const char before = pendingIdentifiers.empty() ? last : beforeNames;
        const bool commaBefore = pendingIdentifiers.empty() ? comma : commaBeforeNames;
        if (parent.known &&
            ((before != '{' && before != '}' && before != ';' && before != '<') || commaBefore)) {
          return Bad(name, std::string("malformed: stray '") + before + "' before an object in " +
                               parent.type);
        }
        if (parent.known && !parent.dataChecked) {
          Status s = CheckLayout(name, parent, open.size() > 1 ? &open[open.size() - 2] : nullptr);
          if (!s) return s;
          // The parent's numbers go before the new object's type and name.
          if (!hidden()) {
            const std::string data = ReaderData(parent);
            if (pendingIdentifiers.empty()) {
              safeText += data;
            } else {
              safeText.insert(namesAt, data);
              namesAt += data.size();
            }
          }
          std::vector<std::string>().swap(parent.tokens);
          s = CountMesh(name, parent, meshVertices, meshFaces);
          if (!s) return s;
        }
      }
      const bool hide = !hidden() && !object.known && !object.type.empty();
      open.push_back(std::move(object));
      pendingIdentifiers.clear();
      ++i;
      last = '{';
      if (hide) {
        safeText.resize(namesAt);
        hiddenAt = open.size() - 1;
        continue;
      }
    } else if (c == '}') {
      if (open.empty()) return Bad(name, "malformed: '}' without '{'");
      if (open.back().known && !pendingIdentifiers.empty()) {
        return Bad(name, "malformed: stray name '" + pendingIdentifiers.front() + "' in " +
                             open.back().type);
      }
      if (open.back().known && !open.back().dataChecked) {
        Status s =
            CheckLayout(name, open.back(), open.size() > 1 ? &open[open.size() - 2] : nullptr);
        if (!s) return s;
        if (!hidden()) safeText += ReaderData(open.back());
        std::vector<std::string>().swap(open.back().tokens);
        s = CountMesh(name, open.back(), meshVertices, meshFaces);
        if (!s) return s;
      }
      OpenObject closing = std::move(open.back());
      open.pop_back();
      const bool endsHidden = hiddenAt == open.size();
      if (endsHidden) hiddenAt = SIZE_MAX;
      // In a known object, an object without a type is a reference: one name and nothing else.
      if (closing.type.empty() && !open.empty() && open.back().known &&
          (closing.identifiers != 1 || closing.otherTokens != 0)) {
        return Bad(name, "malformed: bad reference in " + open.back().type);
      }
      if (!open.empty()) {
        OpenObject& parent = open.back();
        if (closing.type.empty() && closing.identifiers == 1 && closing.otherTokens == 0 &&
            parent.type == "Animation" && parent.animatedFrame.empty()) {
          parent.animatedFrame = closing.lastIdentifier;
        }
        if (closing.type == "AnimationOptions" && parent.type == "Animation") {
          parent.closed = closing.values.at(0) != 0;
        }
        const bool reference =
            closing.type.empty() && closing.identifiers == 1 && closing.otherTokens == 0;
        if (parent.type == "MeshMaterialList" && (closing.type == "Material" || reference)) {
          if (reference && materialNames.count(closing.lastIdentifier) == 0) {
            return Bad(name, "malformed: no material named '" + closing.lastIdentifier + "'");
          }
          ++parent.materials;
        }
      }
      // The reader trusts the material count: every material it announces must be there.
      if (closing.type == "MeshMaterialList" &&
          static_cast<long>(closing.values.at(0)) != closing.materials) {
        return Bad(name, "malformed: material list announces " +
                             std::to_string(static_cast<long>(closing.values[0])) +
                             " materials but holds " + std::to_string(closing.materials));
      }
      if (closing.type == "Animation") {
        animations.push_back({closing.animatedFrame, closing.closed});
      }
      pendingIdentifiers.clear();
      ++i;
      last = '}';
      if (endsHidden) continue;
    } else if (IsIdentStart(c)) {
      while (i < n && (IsIdentChar(bytes[i]) || bytes[i] == '.'))
        ++i;
      std::string identifier(bytes.substr(start, i - start));
      if (pendingIdentifiers.empty()) namesAt = safeText.size();
      if (identifier.size() > 255) return Bad(name, "malformed: name longer than 255 characters");
      if (!open.empty()) {
        ++open.back().identifiers;
        open.back().lastIdentifier = identifier;
      }
      pendingIdentifiers.push_back(std::move(identifier));
      last = 'i';
    } else if (IsDigit(c) || c == '-' || c == '+' || c == '.') {
      bool integer = true;
      if (c == '-' || c == '+') ++i;
      while (i < n && IsDigit(bytes[i]))
        ++i;
      if (at(i) == '.') {
        integer = false;
        ++i;
        while (i < n && IsDigit(bytes[i]))
          ++i;
      }
      if (at(i) == 'e' || at(i) == 'E') {
        integer = false;
        ++i;
        if (at(i) == '-' || at(i) == '+') ++i;
        while (i < n && IsDigit(bytes[i]))
          ++i;
      }
      // Readers' spellings of not-a-number from some exporters.
      if (at(i) == '#') return Bad(name, "malformed: number that is not finite");
      const std::string_view token = bytes.substr(start, i - start);
      std::size_t digits = 0;
      for (char d : token)
        digits += IsDigit(d) ? 1 : 0;
      if (digits == 0) return Bad(name, "malformed: stray '" + std::string(token) + "'");
      ++numbers;
      last = 'n';
      if (open.empty()) return Bad(name, "malformed: stray value " + std::string(token));
      {
        OpenObject& object = open.back();
        ++object.otherTokens;
        if (object.known) {
          separatorDue = true;
          if (object.dataChecked) {
            return Bad(name, "malformed: stray value " + std::string(token) + " in " + object.type);
          }
          if (!pendingIdentifiers.empty()) {
            return Bad(name, "malformed: stray name '" + pendingIdentifiers.front() + "' in " +
                                 object.type);
          }
          object.values.push_back(std::strtod(std::string(token).c_str(), nullptr));
        }
      }
      // Only real numbers may be negative; the reader would take a negative count for a huge
      // one, so negative integers are written as reals: a count there becomes a parse error.
      std::string written(token[0] == '+' ? token.substr(1) : token);
      if (written.back() == 'e' || written.back() == 'E' || written.back() == '+' ||
          written.back() == '-') {
        written += '0';  // an exponent without digits
      }
      if (integer && c == '-') written += ".0";
      // A known object's numbers go to the reader with its own separators (see ReaderData).
      if (open.back().known) {
        open.back().tokens.push_back(std::move(written));
      } else if (!hidden()) {
        safeText += written;
      }
      if (integer && c == '-') continue;
      if (integer) {
        // An element count can be no larger than what the rest of the file can hold (each
        // element takes at least two bytes); an index refers to something already read.
        const std::size_t remaining = n - i;
        const std::size_t allowed = std::max({remaining / 2, numbers, std::size_t{65536}});
        const std::string_view value = token[0] == '+' ? token.substr(1) : token;
        if (value.size() > 9 ||
            static_cast<std::size_t>(std::atol(std::string(value).c_str())) > allowed) {
          return Bad(name, "malformed: count " + std::string(value) + " at offset " +
                               std::to_string(start) + " is larger than the file can hold");
        }
      }
      continue;  // written above
    } else if (c == '[' && !open.empty() && open.back().type == "template") {
      // A template's restriction: "[...]" (open) or a list of the templates it admits.
      while (i < n && bytes[i] != ']' && bytes[i] != '{' && bytes[i] != '}')
        ++i;
      if (at(i) != ']') return Bad(name, "malformed: unterminated '[' in a template");
      pendingIdentifiers.clear();
      ++i;
      last = ']';
    } else if (c == ';' || c == ',' || c == '[' || c == ']') {
      if ((c == '[' || c == ']') && !open.empty() && open.back().known) {
        return Bad(name, std::string("malformed: stray '") + c + "' in " + open.back().type);
      }
      if ((c == '[' || c == ']') && open.empty()) {
        return Bad(name,
                   std::string("malformed: stray '") + c + "' at offset " + std::to_string(start));
      }
      if (!pendingIdentifiers.empty() && (open.empty() || open.back().known)) {
        return Bad(name, "malformed: stray name '" + pendingIdentifiers.front() + "'");
      }
      pendingIdentifiers.clear();
      if (!open.empty() && c != ';' && c != ',') ++open.back().otherTokens;
      ++i;
      last = c;
      // Separators in known objects are the reader's own (see ReaderData); a file name's stays.
      const bool inReference = !open.empty() && open.back().type.empty() && open.size() > 1 &&
                               open[open.size() - 2].known;
      // Between objects the reader takes a separator for the name of an object.
      if ((c == ';' || c == ',') &&
          (open.empty() || (open.back().known && open.back().type != "TextureFilename") ||
           inReference)) {
        continue;
      }
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02x",
                    static_cast<unsigned>(static_cast<unsigned char>(c)));
      return Bad(name, std::string("not a text .x file (unexpected byte ") + hex + " at offset " +
                           std::to_string(start) + ")");
    }
    if (!hidden()) safeText.append(bytes.substr(start, i - start));
  }
  if (!open.empty())
    return Bad(name, "truncated: " + std::to_string(open.size()) + " unclosed '{'");
  if (!pendingIdentifiers.empty()) return Bad(name, "truncated: object without its '{'");
  return Status::Ok();
}

namespace {

bool Finite(const aiVector3D& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

Mat4 FromAssimp(const aiMatrix4x4& a) {
  Mat4 m;
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c)
      m.at(r, c) = a[static_cast<unsigned>(r)][static_cast<unsigned>(c)];
  }
  return m;
}

XMaterial ReadMaterial(const aiMaterial* material) {
  XMaterial out;
  aiString materialName;
  material->Get(AI_MATKEY_NAME, materialName);
  // The reader's stand-in for a mesh without materials has no name: such meshes are white.
  if (materialName.length == 0) return out;
  aiColor4D diffuse(1, 1, 1, 1);
  if (material->Get(AI_MATKEY_COLOR_DIFFUSE, diffuse) == aiReturn_SUCCESS) {
    out.diffuse[0] = diffuse.r;
    out.diffuse[1] = diffuse.g;
    out.diffuse[2] = diffuse.b;
    out.diffuse[3] = diffuse.a;
  }
  float power = 0;
  if (material->Get(AI_MATKEY_SHININESS, power) == aiReturn_SUCCESS) out.power = power;
  aiColor4D specular(0, 0, 0, 1);
  if (material->Get(AI_MATKEY_COLOR_SPECULAR, specular) == aiReturn_SUCCESS) {
    out.specular[0] = specular.r;
    out.specular[1] = specular.g;
    out.specular[2] = specular.b;
  }
  aiColor4D emissive(0, 0, 0, 1);
  if (material->Get(AI_MATKEY_COLOR_EMISSIVE, emissive) == aiReturn_SUCCESS) {
    out.emissive[0] = emissive.r;
    out.emissive[1] = emissive.g;
    out.emissive[2] = emissive.b;
  }
  // Colours are clamped to what the lighting can use; a non-finite one is black.
  auto clamp = [](float& v) { v = std::isfinite(v) ? std::clamp(v, 0.0f, 1.0f) : 0.0f; };
  for (float& v : out.diffuse)
    clamp(v);
  for (float& v : out.specular)
    clamp(v);
  for (float& v : out.emissive)
    clamp(v);
  out.power = std::isfinite(out.power) ? std::clamp(out.power, 0.0f, 1000.0f) : 0.0f;
  return out;
}

Status ReadPart(const std::string& name, const aiScene& scene, const aiMesh& mesh,
                std::size_t& totalVertices, XMeshPart& part) {
  if (mesh.mNumVertices == 0 || mesh.mVertices == nullptr) return Status::Ok();
  totalVertices += mesh.mNumVertices;
  if (totalVertices > kMaxXVertices) {
    return Bad(name, "malformed: more than " + std::to_string(kMaxXVertices) + " vertices");
  }
  if (mesh.mMaterialIndex >= scene.mNumMaterials) {
    return Bad(name, "malformed: material index out of range");
  }
  part.material = ReadMaterial(scene.mMaterials[mesh.mMaterialIndex]);
  part.positions.resize(mesh.mNumVertices);
  part.normals.assign(mesh.mNumVertices, Vec3{});
  for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
    const aiVector3D& p = mesh.mVertices[v];
    if (!Finite(p)) return Bad(name, "malformed: vertex " + std::to_string(v) + " is not finite");
    part.positions[v] = {p.x, p.y, p.z};
  }
  for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
    const aiFace& face = mesh.mFaces[f];
    // The reader drops indices past the vertex list, leaving lines or points behind.
    if (face.mNumIndices < 3 || face.mIndices == nullptr) {
      return Bad(name, "malformed: face " + std::to_string(f) +
                           " has a vertex index out of range or fewer than 3 vertices");
    }
    for (unsigned k = 0; k < face.mNumIndices; ++k) {
      if (face.mIndices[k] >= mesh.mNumVertices) {
        return Bad(name, "malformed: face " + std::to_string(f) + " uses vertex " +
                             std::to_string(face.mIndices[k]) + " of " +
                             std::to_string(mesh.mNumVertices));
      }
    }
    for (unsigned k = 1; k + 1 < face.mNumIndices; ++k) {
      part.indices.push_back(face.mIndices[0]);
      part.indices.push_back(face.mIndices[k]);
      part.indices.push_back(face.mIndices[k + 1]);
    }
  }
  // Normals from the file where it has usable ones, else smooth ones: the sum of the faces
  // around each point (vertices at the same place share it, as the reader gives every face
  // corner a vertex of its own).
  std::map<std::tuple<float, float, float>, Vec3> atPoint;
  std::vector<Vec3> faceSum(mesh.mNumVertices);
  for (std::size_t t = 0; t + 2 < part.indices.size(); t += 3) {
    const Vec3 a = part.positions[part.indices[t]];
    const Vec3 b = part.positions[part.indices[t + 1]];
    const Vec3 c = part.positions[part.indices[t + 2]];
    // Clockwise from the front in left-handed coordinates: (b - a) x (c - a) faces the viewer.
    const Vec3 normal = Cross(b - a, c - a);
    for (const Vec3& p : {a, b, c}) {
      Vec3& s = atPoint[{p.x, p.y, p.z}];
      s = s + normal;
    }
  }
  for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
    const Vec3 p = part.positions[v];
    const auto found = atPoint.find({p.x, p.y, p.z});
    if (found != atPoint.end()) faceSum[v] = found->second;
  }
  for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
    Vec3 normal = faceSum[v];
    if (mesh.mNormals != nullptr && Finite(mesh.mNormals[v])) {
      normal = {mesh.mNormals[v].x, mesh.mNormals[v].y, mesh.mNormals[v].z};
    }
    float len = Length(normal);
    if (!(len > 1e-20f) || !std::isfinite(len)) {
      normal = faceSum[v];
      len = Length(normal);
    }
    part.normals[v] = (len > 1e-20f && std::isfinite(len)) ? normal * (1 / len) : Vec3{0, 0, -1};
  }
  return Status::Ok();
}

template <typename T, typename AiKey, typename Convert>
Status ReadKeys(const std::string& name, const AiKey* keys, unsigned count, const char* kind,
                Convert convert, std::vector<XKey<T>>& out) {
  if (count > kMaxXVertices) return Bad(name, std::string("malformed: too many ") + kind + " keys");
  for (unsigned k = 0; k < count && keys != nullptr; ++k) {
    XKey<T> key;
    key.time = static_cast<float>(keys[k].mTime);
    if (!std::isfinite(key.time)) {
      return Bad(name, std::string("malformed: ") + kind + " key time is not finite");
    }
    if (!convert(keys[k].mValue, key.value)) {
      return Bad(
          name, std::string("malformed: ") + kind + " key " + std::to_string(k) + " is not usable");
    }
    out.push_back(key);
  }
  std::stable_sort(out.begin(), out.end(),
                   [](const XKey<T>& a, const XKey<T>& b) { return a.time < b.time; });
  return Status::Ok();
}

Status Convert(const std::string& name, const aiScene& scene,
               const std::vector<XAnimationOptions>& options, XScene& out) {
  out = XScene{};
  if (scene.mRootNode == nullptr) return Bad(name, "malformed: no frames or meshes");
  std::size_t totalVertices = 0;
  // Depth first, in file order, parents before children.
  std::vector<std::pair<const aiNode*, int>> stack{{scene.mRootNode, -1}};
  while (!stack.empty()) {
    auto [node, parent] = stack.back();
    stack.pop_back();
    if (out.frames.size() > 100000) return Bad(name, "malformed: too many frames");
    XFrame frame;
    frame.name = node->mName.C_Str();
    frame.parent = parent;
    frame.transform = FromAssimp(node->mTransformation);
    for (float v : frame.transform.m) {
      if (!std::isfinite(v)) return Bad(name, "malformed: frame '" + frame.name + "' matrix");
    }
    if (node->mNumMeshes > 0) {
      XMesh mesh;
      for (unsigned k = 0; k < node->mNumMeshes; ++k) {
        if (node->mMeshes[k] >= scene.mNumMeshes) return Bad(name, "malformed: mesh index");
        XMeshPart part;
        Status s = ReadPart(name, scene, *scene.mMeshes[node->mMeshes[k]], totalVertices, part);
        if (!s) return s;
        if (!part.indices.empty()) mesh.parts.push_back(std::move(part));
      }
      if (!mesh.parts.empty()) frame.meshes.push_back(std::move(mesh));
    }
    const int index = static_cast<int>(out.frames.size());
    out.frames.push_back(std::move(frame));
    for (unsigned k = node->mNumChildren; k-- > 0;) {
      if (node->mChildren[k] != nullptr) stack.push_back({node->mChildren[k], index});
    }
  }

  if (scene.mNumAnimations > 0 && scene.mAnimations[0] != nullptr) {
    // The first frame of each name, and the last options given for each animated frame.
    std::unordered_map<std::string, int> frameIndex;
    for (std::size_t f = 0; f < out.frames.size(); ++f) {
      frameIndex.emplace(out.frames[f].name, static_cast<int>(f));
    }
    std::unordered_map<std::string, bool> closedByFrame;
    for (const XAnimationOptions& o : options)
      closedByFrame[o.frame] = o.closed;
    const aiAnimation& animation = *scene.mAnimations[0];
    for (unsigned c = 0; c < animation.mNumChannels; ++c) {
      const aiNodeAnim* channel = animation.mChannels[c];
      if (channel == nullptr) continue;
      XChannel x;
      const std::string frameName = channel->mNodeName.C_Str();
      const auto frame = frameIndex.find(frameName);
      if (frame == frameIndex.end()) continue;  // keys for a frame the file does not have
      x.frame = frame->second;
      const auto closed = closedByFrame.find(frameName);
      if (closed != closedByFrame.end()) x.closed = closed->second;
      auto vec = [](const aiVector3D& v, Vec3& r) {
        r = {v.x, v.y, v.z};
        return Finite(v);
      };
      auto quat = [](const aiQuaternion& q, Quat& r) {
        r = {q.w, q.x, q.y, q.z};
        const float len = std::sqrt(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z);
        if (!(len > 1e-12f) || !std::isfinite(len)) return false;
        r = {q.w / len, q.x / len, q.y / len, q.z / len};
        return true;
      };
      Status s = ReadKeys(name, channel->mPositionKeys, channel->mNumPositionKeys, "position", vec,
                          x.positions);
      if (s)
        s = ReadKeys(name, channel->mRotationKeys, channel->mNumRotationKeys, "rotation", quat,
                     x.rotations);
      if (s)
        s = ReadKeys(name, channel->mScalingKeys, channel->mNumScalingKeys, "scale", vec, x.scales);
      if (!s) return s;
      out.channels.push_back(std::move(x));
    }
  }
  return Status::Ok();
}

}  // namespace

const XMesh* XScene::FirstMesh() const {
  for (const XFrame& frame : frames) {
    if (!frame.meshes.empty()) return &frame.meshes.front();
  }
  return nullptr;
}

namespace {

// A failure is one short line: the reader's messages may quote the rest of the file, and a bad
// value is quoted whole.
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
  std::string safeText;
  std::vector<XAnimationOptions> options;
  Status scanned = ScanXText(name, bytes, safeText, options);
  if (!scanned) return scanned;
  Assimp::Importer importer;
  const aiScene* scene = nullptr;
  try {
    scene = importer.ReadFileFromMemory(
        safeText.data(), safeText.size(),
        aiProcess_ConvertToLeftHanded | aiProcess_Triangulate | aiProcess_JoinIdenticalVertices,
        "x");
  } catch (const std::exception& e) {
    return Bad(name, std::string("malformed .x file (") + e.what() + ")");
  }
  if (scene == nullptr) {
    std::string why = importer.GetErrorString();
    if (why.empty()) why = "unreadable";
    return Bad(name, "malformed .x file (" + why + ")");
  }
  return Convert(name, *scene, options, out);
}

}  // namespace

Status ReadXBuffer(const std::string& name, std::string_view bytes, XScene& out) {
  const Status read = ReadXText(name, bytes, out);
  return read ? read : OneShortLine(name, read);
}

Status ReadXFile(const std::string& path, XScene& out) {
  std::string bytes;
  if (Status read = ReadPlainFile(path, kMaxXFileBytes, bytes); !read) return read;
  return ReadXBuffer(path, bytes, out);
}

}  // namespace skyrings::gl
