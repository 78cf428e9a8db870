#include "diagnosis/DiagnosisText.h"

namespace korvane::diagnosis {

namespace {

void NodeText(const DependencyNode& node, int depth, std::string& out) {
  out.append(static_cast<std::size_t>(depth) * 2, ' ');
  out += node.name;
  out += "  ";
  out += NodeStateName(node.state);
  if (node.delayLoaded) out += " delay-load";
  if (node.knownDll) out += " known-dll";
  if (!node.path.empty()) out += "  " + node.path;
  out += '\n';
  for (const MissingFunction& lack : node.missing) {
    out.append(static_cast<std::size_t>(depth) * 2 + 4, ' ');
    out += "lacks " + lack.function;
    if (!lack.forwardedTo.empty()) out += " (forwarded to " + lack.forwardedTo + ")";
    out += '\n';
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
  nlohmann::ordered_json children = nlohmann::ordered_json::array();
  for (const DependencyNode& child : node.children) children.push_back(NodeJson(child));
  j["imports"] = children;
  return j;
}

}  // namespace

std::string DiagnosisText(const Diagnosis& d) {
  std::string text = d.reason;
  for (const std::string& note : d.notes) text += "\n" + note + ".";
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
  if (tree.truncated) out += "(the tree is cut short: more modules than the walk lists)\n";
  return out;
}

nlohmann::ordered_json TreeJson(const DependencyTree& tree) {
  nlohmann::ordered_json j = NodeJson(tree.root);
  j["truncated"] = tree.truncated;
  return j;
}

}  // namespace korvane::diagnosis
