#include "platform/linux/http/web_config.h"

#include <yaml-cpp/yaml.h>

#include <array>
#include <set>
#include <utility>

namespace corvane::http {
namespace {

// Keys of the exporters' format that this listener does not implement. Each is refused by
// name: serving without, say, the cipher suites a file names would be weaker than it asks.
constexpr std::array kUnsupportedTopKeys = {"http_server_config"};
constexpr std::array kUnsupportedTlsKeys = {"cipher_suites",
                                            "curve_preferences",
                                            "prefer_server_cipher_suites",
                                            "max_version",
                                            "client_allowed_sans",
                                            "cert",
                                            "key"};

// The client_auth_type values of the format. The two that take a certificate without checking
// it are not served: a certificate nobody verifies proves nothing.
constexpr std::array kClientAuthTypes = {"NoClientCert", "RequestClientCert",
                                         "RequireAnyClientCert", "VerifyClientCertIfGiven",
                                         "RequireAndVerifyClientCert"};

// A refusal at a node: carries the line (1-based) it is about.
struct Refusal {
  int line = 0;
  std::string text;
};

Refusal At(const YAML::Node& node, std::string text) {
  const YAML::Mark mark = node.Mark();
  return {mark.line >= 0 ? mark.line + 1 : 0, std::move(text)};
}

template <std::size_t N>
bool Among(const std::array<const char*, N>& names, const std::string& key) {
  for (const char* name : names) {
    if (key == name) return true;
  }
  return false;
}

// The entries of a mapping in order, each key once, as (key node, value node).
std::vector<std::pair<YAML::Node, YAML::Node>> Entries(const YAML::Node& map,
                                                       const std::string& where) {
  std::vector<std::pair<YAML::Node, YAML::Node>> entries;
  std::set<std::string> seen;
  for (const auto& entry : map) {
    const YAML::Node key = entry.first;
    if (!key.IsScalar()) throw At(key, where + "a key must be a name");
    if (!seen.insert(key.Scalar()).second) {
      throw At(key, where + key.Scalar() + " is given twice");
    }
    entries.emplace_back(key, entry.second);
  }
  return entries;
}

std::string Text(const YAML::Node& value, const std::string& what) {
  if (!value.IsScalar()) throw At(value, what + " must be text");
  return value.Scalar();
}

WebConfig::Tls ParseTls(const YAML::Node& node) {
  const std::string where = "tls_server_config: ";
  if (!node.IsMap()) throw At(node, "tls_server_config must be a mapping");
  WebConfig::Tls tls;
  std::string client_auth = "NoClientCert";
  YAML::Node client_auth_node = node;
  for (const auto& [key_node, value] : Entries(node, where)) {
    const std::string key = key_node.Scalar();
    if (key == "cert_file") {
      tls.cert_file = Text(value, where + key);
    } else if (key == "key_file") {
      tls.key_file = Text(value, where + key);
    } else if (key == "client_ca_file") {
      tls.client_ca_file = Text(value, where + key);
    } else if (key == "client_auth_type") {
      client_auth = Text(value, where + key);
      client_auth_node = value;
    } else if (key == "min_version") {
      const std::string version = Text(value, where + key);
      if (version == "TLS12") {
        tls.min_version = TlsMinVersion::kTls12;
      } else if (version == "TLS13") {
        tls.min_version = TlsMinVersion::kTls13;
      } else if (version == "TLS10" || version == "TLS11") {
        throw At(value, where + "min_version " + version + " is not supported (TLS12 or TLS13)");
      } else {
        throw At(value, where + "min_version " + version + " is not a TLS version");
      }
    } else if (Among(kUnsupportedTlsKeys, key)) {
      throw At(key_node, where + key + " is not supported");
    } else {
      throw At(key_node, where + key + " is not a key of tls_server_config");
    }
  }
  if (!Among(kClientAuthTypes, client_auth)) {
    throw At(client_auth_node, where + "client_auth_type " + client_auth + " is not one of " +
                                   "NoClientCert, RequestClientCert, RequireAnyClientCert, " +
                                   "VerifyClientCertIfGiven, RequireAndVerifyClientCert");
  }
  if (client_auth == "VerifyClientCertIfGiven") {
    tls.client_auth = ClientAuth::kVerifyIfGiven;
  } else if (client_auth == "RequireAndVerifyClientCert") {
    tls.client_auth = ClientAuth::kRequireAndVerify;
  } else if (client_auth != "NoClientCert") {
    throw At(client_auth_node, where + "client_auth_type " + client_auth +
                                   " is not supported (NoClientCert, VerifyClientCertIfGiven or "
                                   "RequireAndVerifyClientCert)");
  }
  if (tls.client_auth != ClientAuth::kNone && tls.client_ca_file.empty()) {
    throw At(client_auth_node, where + "client_auth_type " + client_auth + " needs client_ca_file");
  }
  if (tls.client_auth == ClientAuth::kNone && !tls.client_ca_file.empty()) {
    throw At(node, where + "client_ca_file needs a client_auth_type that verifies");
  }
  if (tls.cert_file.empty()) throw At(node, where + "cert_file is missing");
  if (tls.key_file.empty()) throw At(node, where + "key_file is missing");
  return tls;
}

std::map<std::string, std::string> ParseUsers(const YAML::Node& node) {
  const std::string where = "basic_auth_users: ";
  if (node.IsNull()) return {};
  if (!node.IsMap()) throw At(node, "basic_auth_users must be a mapping of user to hash");
  std::map<std::string, std::string> users;
  for (const auto& [key_node, value] : Entries(node, where)) {
    const std::string user = key_node.Scalar();
    // The Basic scheme joins user and password with the first colon (RFC 7617).
    if (user.empty() || user.find(':') != std::string::npos) {
      throw At(key_node, where + "\"" + user + "\" cannot be a user name");
    }
    const std::string hash = Text(value, where + user);
    if (hash.rfind("$2y$", 0) != 0 && hash.rfind("$2b$", 0) != 0) {
      throw At(value, where + user + ": the password must be a bcrypt hash ($2y$ or $2b$)");
    }
    users.emplace(user, hash);
  }
  return users;
}

WebConfig ParseRoot(const YAML::Node& root) {
  WebConfig config;
  if (root.IsNull()) return config;  // an empty file: plain HTTP, no sign-in
  if (!root.IsMap()) throw At(root, "the file must be a mapping");
  for (const auto& [key_node, value] : Entries(root, "")) {
    const std::string key = key_node.Scalar();
    if (key == "tls_server_config") {
      config.tls = ParseTls(value);
    } else if (key == "basic_auth_users") {
      config.users = ParseUsers(value);
    } else if (Among(kUnsupportedTopKeys, key)) {
      throw At(key_node, key + " is not supported");
    } else {
      throw At(key_node, key + " is not a key of the web configuration file");
    }
  }
  return config;
}

}  // namespace

std::optional<WebConfig> ParseWebConfig(std::string_view text, std::string_view name,
                                        std::string* error) {
  const std::string lead = name.empty() ? std::string() : std::string(name) + ": ";
  try {
    return ParseRoot(YAML::Load(std::string(text)));
  } catch (const Refusal& refusal) {
    *error = lead + "line " + std::to_string(refusal.line) + ": " + refusal.text;
  } catch (const YAML::Exception& yaml) {
    *error = lead + "line " + std::to_string(yaml.mark.line + 1) + ": " + yaml.msg;
  }
  return std::nullopt;
}

const char* TlsPriorities(TlsMinVersion version) {
  switch (version) {
    case TlsMinVersion::kTls13:
      return "NORMAL:-VERS-ALL:+VERS-TLS1.3";
    case TlsMinVersion::kTls12:
      break;
  }
  return "NORMAL:-VERS-ALL:+VERS-TLS1.3:+VERS-TLS1.2";
}

}  // namespace corvane::http
