#pragma once
// What the export writers share: the file being written, and the checks that
// keep records with broken node references out of the files.

#include <cstdio>
#include <string>

#include "common/mesh/mesh_model.h"

namespace kv {

// True when every node of `element` (its node_count first slots) is a node
// index of `model`.
inline bool ElementNodesValid(const MeshModel& model, const Element& element) {
  if (element.node_count < 0 || element.node_count > kMaxElementNodes) return false;
  for (int i = 0; i < element.node_count; ++i)
    if (element.nodes[i] < 0 || static_cast<size_t>(element.nodes[i]) >= model.nodes.size()) return false;
  return true;
}

// True when the face has 3 or 4 nodes, all node indices of `model`.
inline bool FaceNodesValid(const MeshModel& model, const FaceRecord& face) {
  if (face.node_count != 3 && face.node_count != 4) return false;
  for (int i = 0; i < face.node_count; ++i)
    if (face.nodes[i] < 0 || static_cast<size_t>(face.nodes[i]) >= model.nodes.size()) return false;
  return true;
}

// A file being written: opened on construction, closed on destruction, with
// the write errors gathered so that a writer reports a full disk as a failure
// instead of a success.
class OutputFile {
 public:
  // Opens `path` for writing in binary mode (no line-end translation).
  explicit OutputFile(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {}
  ~OutputFile() { Close(); }
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  bool IsOpen() const { return file_ != nullptr; }
  void Write(const std::string& text) { Write(text.data(), text.size()); }
  void Write(const void* data, size_t size) {
    if (file_ && std::fwrite(data, 1, size, file_) != size) failed_ = true;
  }
  // Closes the file; true when it was open and every write succeeded.
  bool Close() {
    if (!file_) return false;
    if (std::fclose(file_) != 0) failed_ = true;
    file_ = nullptr;
    return !failed_;
  }

 private:
  std::FILE* file_;
  bool failed_ = false;
};

}  // namespace kv
