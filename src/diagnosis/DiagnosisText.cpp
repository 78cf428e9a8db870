#include "diagnosis/DiagnosisText.h"

#include "formats/VisibleText.h"

namespace korvane::diagnosis {

namespace {

using formats::AppendVisible;

// Names and paths come from files: AppendVisible keeps each on its own line.
void NodeText(const DependencyNode& node, int depth, std::string& out) {
  out.append(static_cast<std::size_t>(depth) * 2, ' ');
  AppendVisible(out, node.name);
  out += "  ";
  out += NodeStateName(node.state);
  if (node.delayLoaded) out += " delay-load";
  if (node.knownDll) out += " known-dll";
  if (!node.path.empty()) {
    out += "  ";
    AppendVisible(out, node.path);
  }
  out += '\n';
  const std::size_t lackIndent = static_cast<std::size_t>(depth) * 2 + 4;
  for (const MissingFunction& lack : node.missing) {
    out.append(lackIndent, ' ');
    out += "lacks ";
    AppendVisible(out, lack.function);
    if (!lack.forwardedTo.empty()) {
      out += " (forwarded to ";
      AppendVisible(out, lack.forwardedTo);
      out += ")";
    }
    out += '\n';
  }
  if (node.missingNotListed != 0) {
    out.append(lackIndent, ' ');
    out += "lacks " + std::to_string(node.missingNotListed) + " more\n";
  }
  for (const DependencyNode& child : node.children) NodeText(child, depth + 1, out);
}

nlohmann::ordered_json NodeJson(const DependencyNode& node) {
  nlohmann::ordered_json j = {{"name", node.name},
                      {"state", NodeStateName(node.state)},
                      {"path", node.path},
                      {"delayLoaded", node.delayLoaded},
                      {"knownDll", node.knownDll}};
  if (node.machine != 0) j["machine"] = formats::MachineName(node.machine);
  if (!node.skipped.empty()) j["skipped"] = node.skipped;
  nlohmann::ordered_json missing = nlohmann::ordered_json::array();
  for (const MissingFunction& lack : node.missing) {
    missing.push_back({{"function", lack.function}, {"forwardedTo", lack.forwardedTo}});
  }
  j["missingFunctions"] = missing;
  if (node.missingNotListed != 0) j["missingNotListed"] = node.missingNotListed;
  nlohmann::ordered_json children = nlohmann::ordered_json::array();
  for (const DependencyNode& child : node.children) children.push_back(NodeJson(child));
  j["imports"] = children;
  return j;
}

}  // namespace

std::string DiagnosisText(const Diagnosis& d) {
  std::string text = formats::Visible(d.reason);
  for (const std::string& note : d.notes) text += "\n" + formats::Visible(note) + ".";
  return text;
}

nlohmann::ordered_json DiagnosisJson(const Diagnosis& d) {
  return {{"kind", DiagnosisKindName(d.kind)},
          {"reason", d.reason},
          {"predictedError", d.predictedError},
          {"file", d.file},
          {"chain", d.chain},
          {"module", d.module},
          {"function", d.function},
          {"fileMachine", d.fileMachine},
          {"programMachine", d.programMachine},
          {"lookalikes", d.lookalikes},
          {"notes", d.notes}};
}

std::string TreeText(const DependencyTree& tree) {
  std::string out;
  NodeText(tree.root, 0, out);
  if (tree.truncated) out += std::string("(the tree is cut short: the walk's limit on ") + tree.limitReached + " is reached)\n";
  return out;
}

nlohmann::ordered_json TreeJson(const DependencyTree& tree) {
  nlohmann::ordered_json j = NodeJson(tree.root);
  j["truncated"] = tree.truncated;
  if (tree.truncated) j["limitReached"] = tree.limitReached;
  return j;
}

}  // namespace korvane::diagnosis
