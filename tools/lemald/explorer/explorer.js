// The lookup explorer: a list of the classes' methods, a form for the chosen one, and its
// outputs as a screen shows them. Every change makes the call again through /api/call;
// Run sends the statement to /api/run. The state lives in the page's address (after #).
"use strict";

const $ = (id) => document.getElementById(id);
const KEYWORDS = new Set(("SELECT FROM WHERE AND OR NOT IN IS NULL JOIN LEFT RIGHT INNER OUTER " +
  "CROSS FULL APPLY ON AS CASE WHEN THEN ELSE END ORDER BY GROUP HAVING UNION ALL DISTINCT TOP " +
  "WITH NOLOCK LIKE BETWEEN EXISTS CAST ISNULL ASC DESC INTO VALUES").split(" "));
const VALUE_KINDS = ["Text", "Number", "Boolean", "Date", "Empty", "Null"];
const OBJECT_KINDS = ["Control", "Database", "Nothing"];

let groups = [];
let current = null;   // {group, method}
let state = {};       // {class, method, args, settings, host}
let outputs = null;   // the last answer of /api/call
let page = 0;
let codeForm = "lemald";

async function post(path, body) {
  const res = await fetch(path, {method: "POST", headers: {"Content-Type": "application/json"},
                                 body: JSON.stringify(body)});
  const answer = await res.json();
  if (!res.ok) throw new Error(answer.error || res.statusText);
  return answer;
}

function element(tag, props = {}, ...children) {
  const e = document.createElement(tag);
  Object.assign(e, props);
  e.append(...children);
  return e;
}

// ---- the method list ------------------------------------------------------------------

function showMethods() {
  const filter = $("filter").value.trim().toLowerCase();
  const list = $("methods");
  list.replaceChildren();
  let lastClass = null;
  for (const g of groups) {
    const methods = g.methods.filter((m) => !filter || m.name.toLowerCase().includes(filter) ||
                                            g.title.toLowerCase().includes(filter));
    if (!methods.length) continue;
    if (g.class !== lastClass) {
      list.append(element("div", {className: "class-name", textContent: g.class.split(".")[1]}));
      lastClass = g.class;
    }
    list.append(element("div", {className: "group-title", textContent: g.title, title: g.source}));
    for (const m of methods) {
      const b = element("button", {type: "button", className: "method", textContent: m.name, title: m.name});
      b.dataset.class = g.class;
      b.dataset.method = m.name;
      if (current && current.group.class === g.class && current.method.name === m.name) b.classList.add("on");
      b.onclick = () => choose(g.class, m.name, null);
      list.append(b);
    }
  }
}

// ---- the form -------------------------------------------------------------------------

// The value form of `lemald run` for a field's kind and text.
function valueOf(kind, text, name) {
  switch (kind) {
    case "Text": return text;
    case "Number": return text.trim() === "" || isNaN(Number(text)) ? text : Number(text);
    case "Boolean": return text === "true";
    case "Date": return {"$date": text};
    case "Empty": return {"$empty": true};
    case "Null": return null;
    case "Missing": return {"$missing": true};
    case "Control": return {"$object": name};
    case "Database": return {"$object": "db"};
    case "Nothing": return {"$nothing": true};
    default: return undefined;  // a setting left as it is
  }
}

// The kind and text that show a value.
function kindOf(v) {
  if (v === undefined) return ["Not set", ""];
  if (v === null) return ["Null", ""];
  if (typeof v === "string") return ["Text", v];
  if (typeof v === "number") return ["Number", String(v)];
  if (typeof v === "boolean") return ["Boolean", String(v)];
  if (v.$date !== undefined) return ["Date", v.$date];
  if (v.$empty) return ["Empty", ""];
  if (v.$missing) return ["Missing", ""];
  if (v.$nothing) return ["Nothing", ""];
  if (v.$object !== undefined) return [v.$object === "db" ? "Database" : "Control", ""];
  return ["Text", JSON.stringify(v)];
}

function field(container, info, value, extraKind, onchange) {
  const kinds = [extraKind, ...(info.type === "Object" ? OBJECT_KINDS : VALUE_KINDS)].filter(Boolean);
  const [kind, text] = kindOf(value);
  const select = element("select", {}, ...kinds.map((k) => element("option", {value: k, textContent: k})));
  select.value = kinds.includes(kind) ? kind : kinds[0];
  const input = element("input", {value: text});
  const sync = () => {
    input.hidden = !["Text", "Number", "Boolean", "Date"].includes(select.value);
    input.placeholder = select.value === "Date" ? "YYYY-MM-DD" : select.value === "Boolean" ? "true or false" : "";
  };
  sync();
  const changed = () => { sync(); onchange(valueOf(select.value, input.value, info.name)); };
  select.onchange = changed;
  input.oninput = changed;
  select.name = input.name = info.name;
  const label = element("label", {},
    element("span", {className: "field-name", textContent: info.name},
            element("span", {className: "field-type",
                             textContent: info.type + (info.byref ? ", by reference" : "") +
                                          (info.optional ? ", optional" : "") +
                                          (info.access ? ", " + info.access : "")})),
    element("span", {className: "field-row"}, select, input));
  container.append(label);
}

function defaultArg(p) {
  if (p.optional) return {"$missing": true};
  if (p.type === "Object") return p.name === "Connessione" ? {"$object": "db"} : {"$object": p.name};
  return p.type === "Boolean" ? true : 1;
}

function showForm() {
  const m = current.method;
  $("method-name").textContent = m.name;
  $("method-source").textContent = current.group.class + " \u2014 " + current.group.source;
  const args = $("args"), settings = $("settings");
  args.replaceChildren();
  settings.replaceChildren();
  m.params.forEach((p, i) => field(args, p, state.args[i], p.optional ? "Missing" : null, (v) => {
    state.args[i] = v;
    refresh();
  }));
  if (!m.params.length) args.append(element("p", {textContent: "none"}));
  for (const s of m.settings)
    field(settings, s, state.settings[s.name], "Not set", (v) => {
      if (v === undefined) delete state.settings[s.name]; else state.settings[s.name] = v;
      refresh();
    });
  if (!m.settings.length) settings.append(element("p", {textContent: "none"}));
  $("host-translate").value = state.host.translate;
  const [, language] = kindOf(state.host.language ?? "ITA");
  $("host-language").value = language;
  $("host-company").value = String(state.host.company ?? 1);
}

function readHost() {
  const company = $("host-company").value;
  state.host = {translate: $("host-translate").value, language: $("host-language").value,
                company: company.trim() !== "" && !isNaN(Number(company)) ? Number(company) : company};
  refresh();
}

function choose(cls, name, saved) {
  const group = groups.find((g) => g.class === cls && g.methods.some((m) => m.name === name));
  if (!group) return;
  current = {group, method: group.methods.find((m) => m.name === name)};
  state = saved ? {args: [], settings: {}, host: {translate: "off"}, ...saved}
                : {args: current.method.params.map(defaultArg), settings: {},
                   host: state.host || {translate: "off"}};
  state.class = cls;
  state.method = name;
  showMethods();
  showForm();
  refresh();
}

// ---- the outputs ----------------------------------------------------------------------

// The statement with its line ends shown (CR LF as ↵, a lone CR as a CR badge) and keywords,
// texts and numbers marked. Each line-end mark keeps the line end it stands for in data-eol.
function highlight(sql) {
  const out = document.createDocumentFragment();
  const re = /('(?:[^']|'')*'?)|(--[^\n]*)|(\r\n|\r)|([A-Za-z_][A-Za-z0-9_]*)|(\d+(?:\.\d+)?)|([\s\S])/g;
  let m;
  let plain = "";
  const flush = () => { if (plain) out.append(plain); plain = ""; };
  const mark = (cls, text) => { flush(); out.append(element("span", {className: cls, textContent: text})); };
  while ((m = re.exec(sql))) {
    if (m[1]) mark("str", m[1]);
    else if (m[2]) mark("str", m[2]);
    else if (m[3]) {
      mark(m[3] === "\r\n" ? "eol" : "eol cr", (m[3] === "\r\n" ? "\u21B5" : "CR") + "\n");
      out.lastChild.dataset.eol = m[3];
      out.lastChild.title = m[3] === "\r\n" ? "CR LF" : "a lone CR";
    }
    else if (m[4] && KEYWORDS.has(m[4].toUpperCase())) mark("kw", m[4]);
    else if (m[5]) mark("num", m[5]);
    else plain += m[0];
  }
  flush();
  return out;
}

function showOutputs() {
  const o = outputs;
  $("caption").textContent = o.caption ?? (o.caption === null ? "(no caption)" : current.method.name);
  $("idlookup").textContent = o.id ?? "";
  const lookup = "headings" in o, decode = "binding" in o;
  $("grid").hidden = !lookup;
  $("headings").replaceChildren(...(o.headings || []).map((h) => element("th", {
    className: h.hidden ? "hidden-column" : "", textContent: h.hidden ? "(hidden)" : h.text,
    title: h.hidden ? "a column without a heading" : ""})));
  $("rows").replaceChildren();
  $("binding").hidden = !decode;
  $("binding").tBodies[0].replaceChildren(...(o.binding || []).map(([control, column]) =>
    element("tr", {}, element("td", {textContent: control ?? "(no object)"}),
            element("td", {textContent: column ?? ""}), element("td", {className: "shows"}))));
  $("result").hidden = !("value" in o) || (o.value && o.value.$empty);
  $("result").textContent = "Result: " + JSON.stringify(o.value);
  $("statement").replaceChildren(typeof o.statement === "string" ? highlight(o.statement) : "(no statement)");
  $("run").disabled = !(typeof o.statement === "string" && o.statement) && !o.rows;
  $("fallbacks").replaceChildren(...(o.fallbacks.length ? o.fallbacks.map((f) => element("li", {textContent: f}))
                                                       : [element("li", {className: "none", textContent: "none"})]));
  $("log").replaceChildren(...o.log.map((l) => element("li", {textContent: l})));
  showCode();
  setMessage("");
  pageButtons(null);
  if (!o.statement && o.rows) showRows(o, " read by the lookup itself");
}

function showCode() {
  $("code").textContent = outputs ? outputs.code[codeForm] : "";
  for (const b of $("code-tabs").children) b.classList.toggle("on", b.dataset.form === codeForm);
}

function setMessage(text, bad) {
  $("message").textContent = text;
  $("message").className = bad ? "bad" : "";
}

function pageButtons(answer) {
  const pages = answer ? Math.max(1, Math.ceil(answer.total / answer.pageRows)) : 0;
  $("page").textContent = answer ? `page ${answer.page + 1} of ${pages}` : "";
  $("prev").disabled = !answer || answer.page === 0;
  $("next").disabled = !answer || answer.page + 1 >= pages;
}

// Shows a page of rows (an answer of /api/run, or the rows a lookup read itself).
function showRows(a, note) {
  const rows = a.rows.map((r) => element("tr", {}, ...r.map((c) =>
    element("td", {className: c === null ? "null" : "", textContent: c === null ? "NULL" : c}))));
  if (!outputs.headings) {  // a decode: its controls show the first row's columns
    for (const tr of $("binding").tBodies[0].rows) {
      const i = a.fields.findIndex((f) => f.toUpperCase() === tr.cells[1].textContent.toUpperCase());
      tr.cells[2].textContent = a.rows.length && i >= 0 ? (a.rows[0][i] ?? "NULL") : "";
    }
  } else {
    const th = $("headings");
    while (th.children.length > outputs.headings.length) th.lastChild.remove();
    th.append(...a.fields.slice(outputs.headings.length).map(
      (f) => element("th", {textContent: f, title: "a column without a heading"})));
    $("rows").replaceChildren(...rows);
  }
  setMessage(`${a.total} row${a.total === 1 ? "" : "s"}` + (a.truncated ? " (the first 500)" : "") + note);
  pageButtons(a);
}

async function run(p) {
  page = p;
  if (!outputs.statement && outputs.rows) return showRows(outputs, " read by the lookup itself");
  setMessage("running\u2026");
  try {
    showRows(await post("api/run", {sql: outputs.statement, page}), "");
  } catch (e) {
    setMessage(e.message, true);
  }
}

let pending = 0;
async function refresh() {
  const ticket = ++pending;
  history.replaceState(null, "", "#" + encodeURIComponent(JSON.stringify(state)));
  try {
    const answer = await post("api/call", state);
    if (ticket !== pending) return;
    outputs = answer;
    $("error").hidden = true;
    showOutputs();
  } catch (e) {
    if (ticket !== pending) return;
    $("error").textContent = e.message;
    $("error").hidden = false;
  }
}

async function copy(text, button) {
  try {
    await navigator.clipboard.writeText(text);
  } catch {
    const area = element("textarea", {value: text});
    document.body.append(area);
    area.select();
    document.execCommand("copy");
    area.remove();
  }
  const label = button.textContent;
  button.textContent = "Copied";
  setTimeout(() => { button.textContent = label; }, 1200);
}

async function start() {
  const res = await fetch("api/methods");
  const answer = await res.json();
  groups = answer.groups;
  $("database").textContent = "database: " + answer.database;
  $("filter").oninput = showMethods;
  $("run").onclick = () => run(0);
  $("prev").onclick = () => run(page - 1);
  $("next").onclick = () => run(page + 1);
  for (const id of ["host-translate", "host-language", "host-company"]) $(id).onchange = readHost;
  for (const b of $("code-tabs").children) b.onclick = () => { codeForm = b.dataset.form; showCode(); };
  $("copy-statement").onclick = (e) => copy(outputs ? outputs.statement || "" : "", e.target);
  $("copy-code").onclick = (e) => copy($("code").textContent, e.target);
  let saved = null;
  try { saved = JSON.parse(decodeURIComponent(location.hash.slice(1))); } catch { saved = null; }
  state.host = saved && saved.host ? saved.host : {translate: "off"};
  if (saved && saved.class) choose(saved.class, saved.method, saved);
  else choose(groups[0].class, groups[0].methods[0].name, null);
}

start();
