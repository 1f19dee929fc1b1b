# The update tests' local HTTPS server: a folder, plus /redirect (to plain HTTP) and /stall
# (a byte every 0.3 s, forever). Writes its port to a file once it listens.
import http.server, os, ssl, sys, time

root, cert, key, port_file = sys.argv[1:5]


class Handler(http.server.SimpleHTTPRequestHandler):
    def __init__(self, *args, **kwargs):
        super().__init__(*args, directory=root, **kwargs)

    def log_message(self, *args):
        pass

    def do_GET(self):
        if self.path not in ("/redirect", "/stall"):
            return super().do_GET()
        self.send_response(302 if self.path == "/redirect" else 200)
        self.send_header("Location", "http://127.0.0.1:1/feed.json")
        self.end_headers()
        try:
            while self.path == "/stall":
                self.wfile.write(b" ")
                self.wfile.flush()
                time.sleep(0.3)
        except OSError:
            pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(cert, key)
server.socket = context.wrap_socket(server.socket, server_side=True)
open(port_file + ".tmp", "w").write(str(server.server_address[1]))
os.rename(port_file + ".tmp", port_file)
server.serve_forever()
