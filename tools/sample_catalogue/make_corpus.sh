#!/bin/bash
# Regenerates the fuzz seed replies in fuzz/corpus/ from the sample catalogue.
# Usage: tools/sample_catalogue/make_corpus.sh [path/to/sample_catalogue]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
server=${1:-$root/build/native/bin/sample_catalogue}
work=$(mktemp -d)
"$server" --port 0 --port-file "$work/port" --base-url http://games.example >/dev/null &
pid=$!
trap 'kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 1 100); do [ -s "$work/port" ] && break; sleep 0.05; done
base="http://127.0.0.1:$(cat "$work/port")"

fetch() { curl -sf "$base$2" -o "$1"; }

hot="$root/fuzz/corpus/hot_list"
search="$root/fuzz/corpus/search"
mkdir -p "$hot" "$search"
fetch "$hot/hot_0_page1" "/appweb/getcathotlist?cid=1&leaf_cid=0&sort=1&pn=1"
fetch "$hot/tools_9_page25" "/appweb/getcathotlist?cid=1&leaf_cid=9&sort=1&pn=25"
fetch "$hot/beyond_last_page" "/appweb/getcathotlist?cid=1&leaf_cid=8&sort=1&pn=3"
# genre 塔防, a typed GBK keyword (连连看) with a single page, and one without results
fetch "$search/genre_tower_defence" "/appweb/search?lb=%E5%A1%94%E9%98%B2&cid=1&lcid=0&ps=10&pn=1"
fetch "$search/typed_gbk" "/appweb/search?lb=%C1%AC%C1%AC%BF%B4%B8%A8%D6%FA&cid=1&lcid=0&ps=10&pn=1"
fetch "$search/no_results" "/appweb/search?lb=%E6%B2%A1%E6%9C%89&cid=1&lcid=0&ps=10&pn=1"
du -cb "$hot"/* "$search"/* | tail -1
