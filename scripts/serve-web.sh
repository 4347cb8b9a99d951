#!/usr/bin/env bash
# Serves the web page's folder (build/web/site, which `cmake --workflow
# --preset web` leaves) on 127.0.0.1 and prints its address; Ctrl-C stops.
# The module goes as application/wasm, and every answer carries the
# page's Content-Security-Policy: no script but the page's own.
# Usage: scripts/serve-web.sh [PORT [FOLDER]]   (PORT 0: any free port)
set -euo pipefail
cd "$(dirname "$0")/.."
port=${1:-8080}
folder=${2:-build/web/site}
[ -f "$folder/index.html" ] || { echo "serve-web.sh: no page in $folder: build it with 'cmake --workflow --preset web'" >&2; exit 1; }
exec python3 -u - "$port" "$folder" <<'PYTHON'
import functools, http.server, sys

POLICY = ("default-src 'self'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self' 'unsafe-inline'; "
          "img-src 'self' blob: data:; object-src 'none'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'")

class Page(http.server.SimpleHTTPRequestHandler):
    extensions_map = {".html": "text/html; charset=utf-8", ".css": "text/css", ".js": "text/javascript",
                      ".mjs": "text/javascript", ".wasm": "application/wasm", "": "application/octet-stream"}

    def end_headers(self):
        self.send_header("Content-Security-Policy", POLICY)
        self.send_header("X-Content-Type-Options", "nosniff")
        self.send_header("Cache-Control", "no-cache")
        super().end_headers()

    def log_message(self, *args):
        pass

server = http.server.ThreadingHTTPServer(("127.0.0.1", int(sys.argv[1])),
                                         functools.partial(Page, directory=sys.argv[2]))
print(f"Gorvandel's page: http://127.0.0.1:{server.server_address[1]}/", flush=True)
try:
    server.serve_forever()
except KeyboardInterrupt:
    pass
PYTHON
