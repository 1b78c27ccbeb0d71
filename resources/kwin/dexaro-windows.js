// Dexaro's window script for KWin. It reports the windows KWin manages and
// every change to them to Dexaro's bridge object, and carries out what the
// bridge asks for (frames, closing, minimizing, activating). Dexaro writes the
// bridge's bus name and path in place of the two markers below before loading.
//
// Requests arrive as answers to "next": the bridge holds each call until it
// has requests (or for a few seconds), and the script asks again as soon as it
// has carried them out.
const bridge = { service: "@DEXARO_SERVICE@", path: "@DEXARO_PATH@", iface: "org.dexaro.KWinBridge" };
const known = {};

function idOf(window) {
    return String(window.internalId);
}

function describe(window) {
    const g = window.frameGeometry;
    const parent = window.transient && window.transientFor ? idOf(window.transientFor) : "";
    let kind = "other";
    if (window.splash)
        kind = "splash";
    else if (window.utility || window.toolbar || window.menu)
        kind = "utility";
    else if (window.dialog || (window.normalWindow && window.transient))
        kind = "dialog";
    else if (window.normalWindow)
        kind = "normal";
    return {
        id: idOf(window),
        pid: window.pid,
        resourceClass: String(window.resourceClass),
        resourceName: String(window.resourceName),
        desktopFileName: String(window.desktopFileName || ""),
        kind: kind,
        transientFor: parent,
        minimized: !!window.minimized,
        stacking: window.stackingOrder,
        x: g.x, y: g.y, width: g.width, height: g.height,
        byUser: !!(window.move || window.resize),
    };
}

function report(type, window, extra) {
    const message = { type: type, window: describe(window) };
    if (extra)
        message.seq = extra;
    callDBus(bridge.service, bridge.path, bridge.iface, "report", JSON.stringify(message));
}

function watch(window) {
    const id = idOf(window);
    if (known[id])
        return;
    known[id] = window;
    window.frameGeometryChanged.connect(function () { report("moved", window); });
    const changed = function () { report("changed", window); };
    window.windowClassChanged.connect(changed);
    window.desktopFileNameChanged.connect(changed);
    window.transientChanged.connect(changed);
    window.minimizedChanged.connect(changed);
    window.stackingOrderChanged.connect(function () { report("stacked", window); });
}

function carryOut(request) {
    const window = known[request.id];
    if (request.op === "sync") {
        callDBus(bridge.service, bridge.path, bridge.iface, "report",
                 JSON.stringify({ type: "synced", seq: request.seq }));
        return;
    }
    if (!window) {
        callDBus(bridge.service, bridge.path, bridge.iface, "report",
                 JSON.stringify({ type: "missing", id: request.id, seq: request.seq || 0 }));
        return;
    }
    if (request.op === "frame") {
        if (window.fullScreen)
            window.fullScreen = false;
        window.setMaximize(false, false);
        window.frameGeometry = { x: request.x, y: request.y, width: request.width, height: request.height };
        report("asked", window, request.seq);
    } else if (request.op === "close") {
        window.closeWindow();
    } else if (request.op === "minimize") {
        window.minimized = true;
    } else if (request.op === "activate") {
        window.minimized = false;
        workspace.activeClient = window;
    }
}

function next() {
    callDBus(bridge.service, bridge.path, bridge.iface, "next", function (text) {
        let requests = [];
        try {
            requests = JSON.parse(text);
        } catch (e) {
            print("dexaro: unreadable requests: " + e);
        }
        for (let i = 0; i < requests.length; ++i) {
            try {
                carryOut(requests[i]);
            } catch (e) {
                print("dexaro: request failed: " + e);
            }
        }
        next();
    });
}

workspace.clientAdded.connect(function (window) {
    watch(window);
    report("appeared", window);
});
workspace.clientRemoved.connect(function (window) {
    const id = idOf(window);
    delete known[id];
    callDBus(bridge.service, bridge.path, bridge.iface, "report", JSON.stringify({ type: "gone", id: id }));
});

const existing = workspace.clientList();
const windows = [];
for (let i = 0; i < existing.length; ++i) {
    watch(existing[i]);
    windows.push(describe(existing[i]));
}
callDBus(bridge.service, bridge.path, bridge.iface, "report", JSON.stringify({ type: "hello", windows: windows }));
next();
