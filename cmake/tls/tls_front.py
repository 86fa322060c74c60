#!/usr/bin/env python3
"""TLS in front of the tests' loopback HTTP server, on the Linux side: a test
fixture beside the Wine ones (cmake/wine), started by CTest before the https tests.

  tls_front.py start DIR [LIFETIME_S]   makes a test CA and server certificates in
                                        DIR, listens, writes DIR/ports, returns
  tls_front.py stop DIR                 ends it early (it ends by itself anyway)

Listeners on 127.0.0.1, one per certificate: good and good2 (localhost, from the
test CA), othername (another host name), expired, untrusted (another CA). Each
connection is decrypted and passed to 127.0.0.1:<DIR/backend.port>, which the
Wine-side test writes once its server runs. Only the test prefix trusts DIR/ca.der.
"""
import os, signal, socket, ssl, subprocess, sys, threading, time


def openssl(d, *args, **env):
    subprocess.run(["openssl", *args], cwd=d, check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, env=dict(os.environ, **env))


CA_CONFIG = """[ca]
default_ca = c
[c]
database = index.txt
unique_subject = no
new_certs_dir = .
serial = serial
default_md = sha256
policy = p
x509_extensions = e
[p]
commonName = supplied
[e]
subjectAltName = DNS:$ENV::HOST
basicConstraints = CA:FALSE
"""


def make_certs(d):
    key = ["-newkey", "rsa:2048", "-nodes"]
    for ca in ("ca", "rogue"):
        openssl(d, "req", "-x509", *key, "-keyout", ca + ".key", "-out", ca + ".pem", "-days", "2",
                "-subj", "/CN=Vel-Tarrow test CA " + ca)
    openssl(d, "x509", "-in", "ca.pem", "-outform", "DER", "-out", "ca.der")
    with open(os.path.join(d, "ca.cnf"), "w") as f:
        f.write(CA_CONFIG)
    open(os.path.join(d, "index.txt"), "w").close()
    with open(os.path.join(d, "serial"), "w") as f:
        f.write("10\n")
    days = [time.strftime("%Y%m%d%H%M%SZ", time.gmtime(time.time() + s)) for s in (-3600, 2 * 86400)]
    rows = {"good": ("ca", "localhost", days), "othername": ("ca", "other.invalid", days),
            "expired": ("ca", "localhost", ["20200101000000Z", "20200102000000Z"]),
            "untrusted": ("rogue", "localhost", days)}
    for name, (ca, host, (start, end)) in rows.items():
        openssl(d, "req", *key, "-keyout", name + ".key", "-out", name + ".csr", "-subj", "/CN=" + host)
        openssl(d, "ca", "-batch", "-config", "ca.cnf", "-in", name + ".csr", "-out", name + ".pem",
                "-cert", ca + ".pem", "-keyfile", ca + ".key", "-startdate", start, "-enddate", end,
                "-notext", HOST=host)


def pump(a, b):
    try:
        while True:
            data = a.recv(65536)
            if not data:
                break
            b.sendall(data)
    except OSError:
        pass
    for s in (a, b):
        try:
            s.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass


def serve(listener, context, d):
    while True:
        raw, _ = listener.accept()
        raw.settimeout(120)

        def handle(raw=raw):
            try:
                tls = context.wrap_socket(raw, server_side=True)
                with open(os.path.join(d, "backend.port")) as f:
                    back = socket.create_connection(("127.0.0.1", int(f.read())), timeout=120)
            except (OSError, ValueError):
                raw.close()
                return
            threading.Thread(target=pump, args=(back, tls), daemon=True).start()
            pump(tls, back)

        threading.Thread(target=handle, daemon=True).start()


def run(d, lifetime):
    ports = []
    for name, cert in (("good", "good"), ("good2", "good"), ("othername", "othername"),
                       ("expired", "expired"), ("untrusted", "untrusted")):
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(os.path.join(d, cert + ".pem"), os.path.join(d, cert + ".key"))
        listener = socket.create_server(("127.0.0.1", 0))
        ports.append("%s=%d" % (name, listener.getsockname()[1]))
        threading.Thread(target=serve, args=(listener, context, d), daemon=True).start()
    with open(os.path.join(d, "ports.new"), "w") as f:
        f.write("\n".join(ports) + "\n")
    os.replace(os.path.join(d, "ports.new"), os.path.join(d, "ports"))
    time.sleep(lifetime)  # then every thread ends with the process


def main():
    cmd, d = sys.argv[1], os.path.abspath(sys.argv[2])
    pid_file = os.path.join(d, "front.pid")
    if cmd == "stop":
        try:
            with open(pid_file) as f:
                os.kill(int(f.read()), signal.SIGTERM)
        except (OSError, ValueError):
            pass
        return
    lifetime = int(sys.argv[3]) if len(sys.argv) > 3 else 900
    os.makedirs(d, exist_ok=True)
    for stale in ("ports", "backend.port"):
        if os.path.exists(os.path.join(d, stale)):
            os.remove(os.path.join(d, stale))
    make_certs(d)
    if os.fork() == 0:  # the server, detached from CTest's pipes
        os.setsid()
        null = os.open(os.devnull, os.O_RDWR)
        for fd in (0, 1, 2):
            os.dup2(null, fd)
        with open(pid_file, "w") as f:
            f.write(str(os.getpid()))
        run(d, lifetime)
        os._exit(0)
    for _ in range(100):
        if os.path.exists(os.path.join(d, "ports")):
            print(open(os.path.join(d, "ports")).read(), end="")
            return
        time.sleep(0.1)
    sys.exit("the TLS front did not start")


if __name__ == "__main__":
    main()
