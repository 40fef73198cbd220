#include "xfile.h"

#include <cmath>
#include <cstdio>
#include <sstream>

namespace assets {
namespace {

constexpr const char* kTemplates = R"(template Header {
 <3D82AB43-62DA-11cf-AB39-0020AF71E433>
 WORD major;
 WORD minor;
 DWORD flags;
}

template Vector {
 <3D82AB5E-62DA-11cf-AB39-0020AF71E433>
 FLOAT x;
 FLOAT y;
 FLOAT z;
}

template Coords2d {
 <F6F23F44-7686-11cf-8F52-0040333594A3>
 FLOAT u;
 FLOAT v;
}

template Matrix4x4 {
 <F6F23F45-7686-11cf-8F52-0040333594A3>
 array FLOAT matrix[16];
}

template ColorRGBA {
 <35FF44E0-6C7C-11cf-8F52-0040333594A3>
 FLOAT red;
 FLOAT green;
 FLOAT blue;
 FLOAT alpha;
}

template ColorRGB {
 <D3E16E81-7835-11cf-8F52-0040333594A3>
 FLOAT red;
 FLOAT green;
 FLOAT blue;
}

template Material {
 <3D82AB4D-62DA-11cf-AB39-0020AF71E433>
 ColorRGBA faceColor;
 FLOAT power;
 ColorRGB specularColor;
 ColorRGB emissiveColor;
 [...]
}

template MeshFace {
 <3D82AB5F-62DA-11cf-AB39-0020AF71E433>
 DWORD nFaceVertexIndices;
 array DWORD faceVertexIndices[nFaceVertexIndices];
}

template MeshNormals {
 <F6F23F43-7686-11cf-8F52-0040333594A3>
 DWORD nNormals;
 array Vector normals[nNormals];
 DWORD nFaceNormals;
 array MeshFace faceNormals[nFaceNormals];
}

template MeshMaterialList {
 <F6F23F42-7686-11cf-8F52-0040333594A3>
 DWORD nMaterials;
 DWORD nFaceIndexes;
 array DWORD faceIndexes[nFaceIndexes];
 [Material <3D82AB4D-62DA-11cf-AB39-0020AF71E433>]
}

template Mesh {
 <3D82AB44-62DA-11cf-AB39-0020AF71E433>
 DWORD nVertices;
 array Vector vertices[nVertices];
 DWORD nFaces;
 array MeshFace faces[nFaces];
 [...]
}

template FrameTransformMatrix {
 <F6F23F41-7686-11cf-8F52-0040333594A3>
 Matrix4x4 frameMatrix;
}

template Frame {
 <3D82AB46-62DA-11cf-AB39-0020AF71E433>
 [...]
}

template FloatKeys {
 <10DD46A9-775B-11cf-8F52-0040333594A3>
 DWORD nValues;
 array FLOAT values[nValues];
}

template TimedFloatKeys {
 <F406B180-7B3B-11cf-8F52-0040333594A3>
 DWORD time;
 FloatKeys tfkeys;
}

template AnimationKey {
 <10DD46A8-775B-11cf-8F52-0040333594A3>
 DWORD keyType;
 DWORD nKeys;
 array TimedFloatKeys keys[nKeys];
}

template AnimationOptions {
 <E2BF56C0-840F-11cf-8F52-0040333594A3>
 DWORD openclosed;
 DWORD positionquality;
}

template Animation {
 <3D82AB4F-62DA-11cf-AB39-0020AF71E433>
 [...]
}

template AnimationSet {
 <3D82AB50-62DA-11cf-AB39-0020AF71E433>
 [Animation <3D82AB4F-62DA-11cf-AB39-0020AF71E433>]
}

)";

// Ends an element of a list: "," between elements, ";" after the last.
const char* Sep(std::size_t i, std::size_t count) {
  return i + 1 < count ? "," : ";";
}

std::string Vec(Vec3 v) {
  return XFloat(v.x) + ";" + XFloat(v.y) + ";" + XFloat(v.z) + ";";
}

void WriteMaterial(std::ostringstream& out, const Material& m, const std::string& indent) {
  const Vec3 e = m.color * m.emissive;
  out << indent << "Material " << m.name << " {\n";
  out << indent << " " << XFloat(m.color.x) << ";" << XFloat(m.color.y) << ";" << XFloat(m.color.z)
      << ";" << XFloat(1.0) << ";;\n";
  out << indent << " " << XFloat(m.power) << ";\n";
  out << indent << " " << XFloat(m.specular) << ";" << XFloat(m.specular) << ";"
      << XFloat(m.specular) << ";;\n";
  out << indent << " " << XFloat(e.x) << ";" << XFloat(e.y) << ";" << XFloat(e.z) << ";;\n";
  out << indent << "}\n";
}

void WriteMesh(std::ostringstream& out, const Mesh& mesh, const std::string& indent) {
  const auto& p = mesh.positions();
  const auto& n = mesh.normals();
  const auto& f = mesh.faces();
  out << indent << "Mesh " << mesh.name() << " {\n";
  out << indent << " " << p.size() << ";\n";
  for (std::size_t i = 0; i < p.size(); ++i) {
    out << indent << " " << Vec(p[i]) << Sep(i, p.size()) << "\n";
  }
  out << indent << " " << f.size() << ";\n";
  auto faceList = [&] {
    for (std::size_t i = 0; i < f.size(); ++i) {
      out << indent << " 3;" << f[i].a << "," << f[i].b << "," << f[i].c << ";" << Sep(i, f.size())
          << "\n";
    }
  };
  faceList();
  // Normals are stored per vertex, so the normal indices of a face are its vertex indices.
  out << indent << " MeshNormals {\n";
  out << indent << " " << n.size() << ";\n";
  for (std::size_t i = 0; i < n.size(); ++i) {
    out << indent << " " << Vec(n[i]) << Sep(i, n.size()) << "\n";
  }
  out << indent << " " << f.size() << ";\n";
  faceList();
  out << indent << " }\n";
  out << indent << " MeshMaterialList {\n";
  out << indent << "  " << mesh.materials().size() << ";\n";
  out << indent << "  " << f.size() << ";\n";
  for (std::size_t i = 0; i < f.size(); ++i) {
    out << indent << "  " << f[i].material << Sep(i, f.size()) << "\n";
  }
  for (const Material& m : mesh.materials())
    WriteMaterial(out, m, indent + "  ");
  out << indent << " }\n";
  out << indent << "}\n";
}

void WriteFrame(std::ostringstream& out, const XFrame& frame, const std::string& indent) {
  out << indent << "Frame " << frame.name << " {\n";
  // Row-vector matrix: the translation sits in the last row.
  out << indent << " FrameTransformMatrix {\n";
  const double m[16] = {
      1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, frame.offset.x, frame.offset.y, frame.offset.z, 1};
  out << indent << "  ";
  for (int i = 0; i < 16; ++i)
    out << XFloat(m[i]) << (i < 15 ? "," : ";;\n");
  out << indent << " }\n";
  for (const Mesh& mesh : frame.meshes)
    WriteMesh(out, mesh, indent + " ");
  for (const XFrame& child : frame.children)
    WriteFrame(out, child, indent + " ");
  out << indent << "}\n";
}

void WriteAnimation(std::ostringstream& out, const XAnimation& animation) {
  out << " Animation Anim" << animation.frame << " {\n";
  out << "  { " << animation.frame << " }\n";
  if (!animation.rotations.empty()) {
    const auto& keys = animation.rotations;
    out << "  AnimationKey {\n   0;\n   " << keys.size() << ";\n";
    for (std::size_t i = 0; i < keys.size(); ++i) {
      const Quat q = Conjugate(keys[i].second);
      out << "   " << keys[i].first << ";4;" << XFloat(q.w) << "," << XFloat(q.x) << ","
          << XFloat(q.y) << "," << XFloat(q.z) << ";;" << Sep(i, keys.size()) << "\n";
    }
    out << "  }\n";
  }
  if (!animation.positions.empty()) {
    const auto& keys = animation.positions;
    out << "  AnimationKey {\n   2;\n   " << keys.size() << ";\n";
    for (std::size_t i = 0; i < keys.size(); ++i) {
      const Vec3 v = keys[i].second;
      out << "   " << keys[i].first << ";3;" << XFloat(v.x) << "," << XFloat(v.y) << ","
          << XFloat(v.z) << ";;" << Sep(i, keys.size()) << "\n";
    }
    out << "  }\n";
  }
  // Closed loop, linear position interpolation.
  out << "  AnimationOptions {\n   1;\n   1;\n  }\n";
  out << " }\n";
}

}  // namespace

std::string XFloat(double value) {
  if (std::fabs(value) < 5e-7) value = 0.0;  // never "-0.000000"
  char text[64];
  std::snprintf(text, sizeof text, "%.6f", value);
  return text;
}

std::string WriteXFile(const XScene& scene) {
  std::ostringstream out;
  out << "xof 0302txt 0032\n";
  out << kTemplates;
  out << "Header {\n 1;\n 0;\n 1;\n}\n\n";
  for (const Mesh& mesh : scene.meshes)
    WriteMesh(out, mesh, "");
  for (const XFrame& frame : scene.frames)
    WriteFrame(out, frame, "");
  if (!scene.animations.empty()) {
    out << "\nAnimationSet " << scene.animationSetName << " {\n";
    for (const XAnimation& a : scene.animations)
      WriteAnimation(out, a);
    out << "}\n";
  }
  return out.str();
}

}  // namespace assets
