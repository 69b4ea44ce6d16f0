#include "tools/lemald/serve.h"

#include <httplib.h>
#include <pthread.h>
#include <signal.h>
#include <strings.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <ostream>
#include <thread>

#include "common/error.h"
#include "common/guard.h"
#include "common/text.h"
#include "host/ado/connection.h"
#include "host/ado/dialect.h"
#include "host/ado/recordset.h"
#include "tools/lemald/assets.h"
#include "tools/lemald/catalog.h"
#include "tools/lemald/explorer_call.h"

namespace lemald {
namespace {

constexpr size_t kMaxBody = 64 * 1024;

void reply(httplib::Response& res, int status, const json& body) {
  res.status = status;
  res.set_content(body.dump(-1, ' ', false, json::error_handler_t::replace), "application/json");
}

// Answers with what `make` gives, or with the error of a request that cannot be served.
template <class F>
void answer(const httplib::Request& req, httplib::Response& res, F&& make) {
  try {
    if (req.get_header_value("Content-Type").rfind("application/json", 0) != 0)
      throw RequestError(415, "send the request as application/json");
    json body = json::parse(req.body, nullptr, false);
    if (body.is_discarded() || !body.is_object())
      throw RequestError(400, "the request body is not a JSON object");
    reply(res, 200, make(body));
  } catch (const RequestError& e) {
    reply(res, e.status, json{{"error", e.what()}});
  } catch (const json::exception& e) {
    reply(res, 400, json{{"error", e.what()}});
  } catch (const std::exception& e) {
    reply(res, 500, json{{"error", e.what()}});
  }
}

bool is_sqlite(const std::string& url) {
  return url.size() >= 10 && strncasecmp(url.c_str(), "sqlite3://", 10) == 0;
}

// SQLite connections are opened read-only.
std::string read_only(const std::string& url) {
  if (!is_sqlite(url) || url.find("readonly") != std::string::npos) return url;
  return url + " readonly=1";
}

// The demo database, built from the embedded script into a temporary file.
class DemoDatabase {
 public:
  DemoDatabase() {
    char name[] = "/tmp/lemald-demo-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) lema::raise(lema::ErrorCode::DataAccess, "cannot create a temporary file");
    close(fd);
    path_ = name;
    auto db = lema::make_object<lema::ado::Connection>();
    db->Open(lema::Value("sqlite3://db=" + path_));
    db->Execute("BEGIN");  // one commit: much faster than one per statement
    for (const std::string& statement : lema::ado::split_statements(asset("demo.sql")))
      db->Execute(statement);
    db->Execute("COMMIT");
  }
  ~DemoDatabase() { unlink(path_.c_str()); }
  DemoDatabase(const DemoDatabase&) = delete;
  DemoDatabase& operator=(const DemoDatabase&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Runs {"sql": TEXT, "page": N} and answers a page of its rows.
json run_statement(const json& request, const std::string& db_url) {
  const json& sql_j = request.contains("sql") ? request.at("sql") : json();
  if (!sql_j.is_string()) throw RequestError(400, "\"sql\" must be a text");
  const std::string sql = sql_j.get<std::string>();
  if (!is_single_select(sql)) throw RequestError(400, "only a single SELECT statement is run here");
  const int64_t page = std::max<int64_t>(0, request.value("page", int64_t{0}));
  std::lock_guard<std::mutex> lock(library_mutex());
  lema::Ref<lema::ado::Recordset> rs;
  try {
    auto db = lema::make_object<lema::ado::Connection>();
    db->Open(lema::Value(db_url));
    rs = db->Execute(sql);
  } catch (const lema::Error& e) {
    std::string why = e.what();
    why = why.substr(0, why.find(" while preparing"));  // the statement is on the page already
    throw RequestError(422, "the database cannot run this statement: " + why);
  }
  json out = rows_json(*rs, page);
  if (is_sqlite(db_url)) out["ran"] = lema::ado::to_sqlite_dialect(sql);
  return out;
}

}  // namespace

bool is_single_select(std::string_view sql) {
  const std::vector<std::string> parts = lema::ado::split_statements(sql);
  if (parts.size() != 1) return false;
  const std::string_view s = parts[0];
  size_t i = 0;
  while (i < s.size()) {
    if (s[i] == ' ' || s[i] == '\t' || s[i] == '\r' || s[i] == '\n') {
      ++i;
    } else if (s.substr(i, 2) == "--") {
      i = s.find('\n', i);
    } else if (s.substr(i, 2) == "/*") {
      i = s.find("*/", i + 2);
      if (i != std::string_view::npos) i += 2;
    } else {
      break;
    }
  }
  if (i == std::string_view::npos || s.size() - i < 6 ||
      strncasecmp(s.data() + i, "SELECT", 6) != 0)
    return false;
  const unsigned char next = i + 6 < s.size() ? static_cast<unsigned char>(s[i + 6]) : ' ';
  return !(std::isalnum(next) || next == '_');
}

int serve(const ServeOptions& options, std::ostream& out, std::ostream& err) {
  // SIGINT and SIGTERM are taken by one thread, which stops the server; every other thread
  // (the server's included) blocks them.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  std::unique_ptr<DemoDatabase> demo;
  std::string db_url = options.db;
  std::string catalog_html, catalog_md;
  json methods;
  try {
    if (db_url.empty()) {
      demo = std::make_unique<DemoDatabase>();
      db_url = "sqlite3://db=" + demo->path();
    }
    db_url = read_only(db_url);
    catalog_html = catalog_text(true);
    catalog_md = catalog_text(false);
    methods = describe_methods();
  } catch (const std::exception& e) {
    err << "lemald: " << e.what() << "\n";
    return 1;
  }
  methods["database"] = options.db.empty() ? "the demo database" : options.db;
  lema::set_value_guard(true);

  httplib::Server server;
  server.set_payload_max_length(kMaxBody);
  server.set_read_timeout(10, 0);
  server.set_error_handler([](const httplib::Request&, httplib::Response& res) {
    if (!res.body.empty()) return;
    reply(res, res.status,
          json{{"error", res.status == 413   ? "the request body is longer than 64 KB"
                         : res.status == 404 ? "no such page"
                                             : "the request cannot be served"}});
  });
  auto file = [](const char* name, const char* type) {
    return [name, type](const httplib::Request&, httplib::Response& res) {
      res.set_content(std::string(asset(name)), type);
    };
  };
  server.Get("/", file("index.html", "text/html; charset=utf-8"));
  server.Get("/explorer.js", file("explorer.js", "text/javascript; charset=utf-8"));
  server.Get("/explorer.css", file("explorer.css", "text/css; charset=utf-8"));
  server.Get("/catalog", [&](const httplib::Request&, httplib::Response& res) {
    res.set_content(catalog_html, "text/html; charset=utf-8");
  });
  server.Get("/catalog.md", [&](const httplib::Request&, httplib::Response& res) {
    res.set_content(catalog_md, "text/markdown; charset=utf-8");
  });
  server.Get("/api/methods",
             [&](const httplib::Request&, httplib::Response& res) { reply(res, 200, methods); });
  server.Post("/api/call", [&](const httplib::Request& req, httplib::Response& res) {
    answer(req, res, [&](const json& body) { return make_call(body, db_url); });
  });
  server.Post("/api/run", [&](const httplib::Request& req, httplib::Response& res) {
    answer(req, res, [&](const json& body) { return run_statement(body, db_url); });
  });

  int port = options.port;
  if (port == 0)
    port = server.bind_to_any_port(options.host);
  else if (!server.bind_to_port(options.host, port))
    port = -1;
  if (port < 0) {
    err << "lemald: cannot listen on " << options.host << ":" << options.port << "\n";
    return 1;
  }
  out << "lemald serve: http://" << options.host << ":" << port
      << "/ (database: " << methods["database"].get<std::string>() << ")" << std::endl;

  std::atomic<bool> done{false};
  std::thread stopper([&] {
    int sig = 0;
    sigwait(&signals, &sig);
    // The server may not be listening yet: ask until it has stopped.
    while (!done) {
      server.stop();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  server.listen_after_bind();
  done = true;
  pthread_kill(stopper.native_handle(), SIGTERM);  // wakes it when no signal came
  stopper.join();
  out << "lemald serve: stopped" << std::endl;
  return 0;
}

}  // namespace lemald
