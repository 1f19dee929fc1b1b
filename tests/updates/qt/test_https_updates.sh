#!/usr/bin/env bash
# Runs the update tests of the real network backend against a local HTTPS server whose
# certificate comes from a throwaway authority made here. Usage: test_https_updates.sh UI_TESTS
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
dir=$(mktemp -d)
server=""
cleanup() { [ -z "$server" ] || kill "$server" 2>/dev/null || true; wait || true; rm -rf "$dir"; }
trap cleanup EXIT
cd "$dir"
key=(-newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes)
openssl req -x509 "${key[@]}" -days 1 -subj /CN=test-ca -keyout ca.key -out ca.pem \
  -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign 2>/dev/null
openssl req "${key[@]}" -subj /CN=127.0.0.1 -keyout server.key -out server.csr 2>/dev/null
printf 'subjectAltName=IP:127.0.0.1\n' >ext
openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 1 -extfile ext -out server.pem 2>/dev/null
mkdir www
python3 "$here/https_server.py" www server.pem server.key port &
server=$!
for _ in $(seq 100); do [ -s port ] && break; sleep 0.05; done
TUFTLE_TEST_HTTPS_ORIGIN="https://127.0.0.1:$(cat port)" TUFTLE_TEST_HTTPS_ROOT="$dir/www" TUFTLE_TEST_CA="$dir/ca.pem" \
  QT_QPA_PLATFORM=offscreen "$1" --gtest_filter='HttpsUpdate*'
