#!/usr/bin/env bash
# bench/apache_wrk.sh -- what mod_quorvane costs Apache, against Apache alone and against
# the mod_rewrite rules administrators write instead, measured with wrk on loopback.
#
#   bench/apache_wrk.sh            (ROUNDS=7 DURATION=5 CONNECTIONS=32 BASE_PORT=18200)
#
# Every server is its own Apache (defaults: mpm_event, no access log) serving the same
# 5 KB .jpg; they all run at once and the rounds visit them in turn, so drift in the
# machine's load reaches every variant alike. Ratios are paired: each round's rate over
# the same round's Apache alone, then the median. "A/A" is a second, identical Apache
# alone: how far two equal servers differ here, the noise floor of every ratio.
#
# Lists: "short" is 3 authorized prefixes, "500" is 500 (as many as the settings' 10239
# bytes hold); 4 protected suffixes. The authorized Referer matches the last prefix, so
# the filter and mod_rewrite both walk the whole list.
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=${ROUNDS:-7}
duration=${DURATION:-5}
connections=${CONNECTIONS:-32}
base_port=${BASE_PORT:-18200}

script/bootstrap
cmake --preset linux >/dev/null
cmake --build --preset linux -j "$(nproc)" --target mod_quorvane >/dev/null

httpd="$(apxs -q SBINDIR)/$(apxs -q TARGET)"
modules=$(apxs -q LIBEXECDIR)
root=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-bench.XXXXXX")
chmod 755 "$root"

pids=()
stop() {
  trap - INT TERM EXIT
  local pid
  for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$root"
}
trap stop EXIT
trap 'exit 130' INT TERM

authorized_referer="http://site500.com/gallery/page.html"
foreign_referer="http://elsewhere.example/forum/thread.html"
suffixes=(.jpg .gif .png .zip)
short_list=(http://www.ours.example/ https://www.ours.example/ http://site500.com/)
long_list=()
for i in $(seq -w 1 500); do long_list+=("http://site$i.com/"); done

mkdir -p "$root/htdocs/img"
cp host/apache/sample-site/img/photo.jpg "$root/htdocs/img/photo.jpg"
chmod -R a+rX "$root/htdocs"
url_path=/img/photo.jpg

join() { local IFS='|'; echo "$*"; }

# Quorvane.ini (code page 936 section and keys, as bytes) for a list of prefixes.
write_settings() {
  local file=$1; shift
  {
    printf '[\xC9\xE8\xD6\xC3]\r\n'
    printf '\xCA\xDA\xC8\xA8\xC0\xB4\xC2\xB7=%s\r\n' "$(join "$@")"
    printf '\xCE\xC4\xBC\xFE\xC0\xE0\xD0\xCD=%s\r\n' "$(join "${suffixes[@]}")"
    printf '\xD6\xD8\xB6\xA8\xCF\xF2\xB5\xBD=\r\n'
  } >"$file"
}

# The same policy as mod_rewrite rules: refuse a protected suffix unless the Referer
# begins with one of the prefixes.
rewrite_rules() {
  local prefix suffix_pattern
  suffix_pattern=$(join "${suffixes[@]#.}")
  echo "RewriteEngine On"
  for prefix in "$@"; do
    echo "RewriteCond %{HTTP_REFERER} !^${prefix//./\\.} [NC]"
  done
  echo "RewriteRule \\.(${suffix_pattern})\$ - [F,NC]"
}

names=()
ports=()
# One Apache: its name, and lines for its configuration.
start_server() {
  local name=$1 extra=$2 port=$((base_port + ${#names[@]})) dir=$root/$1
  mkdir -p "$dir/logs" "$dir/run"
  {
    echo "ServerRoot \"$dir\""
    echo "Listen 127.0.0.1:$port"
    echo "ServerName 127.0.0.1"
    echo "PidFile \"$dir/run/httpd.pid\""
    echo "DefaultRuntimeDir \"$dir/run\""
    echo "Mutex default:$dir/run"
    echo "ErrorLog \"$dir/logs/error.log\""
    if ((EUID == 0)); then echo "User nobody"; echo "Group nogroup"; fi
    for module in mpm_event authz_core mime rewrite; do
      echo "LoadModule ${module}_module $modules/mod_$module.so"
    done
    echo "TypesConfig /etc/mime.types"
    echo "DocumentRoot \"$root/htdocs\""
    echo "<Directory \"$root/htdocs\">"
    echo "  Require all granted"
    echo "</Directory>"
    echo "$extra"
  } >"$dir/httpd.conf"
  "$httpd" -d "$dir" -f "$dir/httpd.conf" -DFOREGROUND >"$dir/logs/output.log" 2>&1 &
  pids+=($!)
  names+=("$name")
  ports+=("$port")
}

# The module with Quorvane.ini beside it, for a list of prefixes.
with_module() {
  local name=$1; shift
  mkdir -p "$root/$name"
  cp build/linux/host/apache/mod_quorvane.so "$root/$name/"
  write_settings "$root/$name/Quorvane.ini" "$@"
  start_server "$name" "LoadModule quorvane_module \"$root/$name/mod_quorvane.so\""
}

start_server apache ""
start_server apache-copy ""
with_module quorvane-short "${short_list[@]}"
with_module quorvane-500 "${long_list[@]}"
start_server rewrite-short "$(rewrite_rules "${short_list[@]}")"
start_server rewrite-500 "$(rewrite_rules "${long_list[@]}")"

for i in "${!names[@]}"; do
  for tries in $(seq 1 100); do
    curl -s -o /dev/null --max-time 2 "http://127.0.0.1:${ports[$i]}/" && continue 2
    kill -0 "${pids[$i]}" 2>/dev/null || break
    sleep 0.1
  done
  echo "bench: ${names[$i]} did not start:" >&2
  cat "$root/${names[$i]}/logs/output.log" "$root/${names[$i]}/logs/error.log" >&2 2>/dev/null || true
  exit 1
done

# Each variant: label, server, Referer, and whether a 200 with the file is expected.
variants=(
  "a      Apache alone|apache|$authorized_referer|200"
  "a'     A/A: a second Apache alone|apache-copy|$authorized_referer|200"
  "b      module, short list, authorized|quorvane-short|$authorized_referer|200"
  "b500   module, 500 prefixes, authorized|quorvane-500|$authorized_referer|200"
  "c      module, short list, refusing|quorvane-short|$foreign_referer|page"
  "d      mod_rewrite, short list, authorized|rewrite-short|$authorized_referer|200"
  "d500   mod_rewrite, 500 prefixes, authorized|rewrite-500|$authorized_referer|200"
)

port_of() {
  local i
  for i in "${!names[@]}"; do [[ ${names[$i]} == "$1" ]] && { echo "${ports[$i]}"; return; }; done
}

# Before measuring, check that each variant answers as its label says.
for variant in "${variants[@]}"; do
  IFS='|' read -r label server referer expect <<<"$variant"
  got=$(curl -s --http0.9 -o /dev/null -w '%{http_code}' -e "$referer" "http://127.0.0.1:$(port_of "$server")$url_path")
  want=$([[ $expect == page ]] && echo 000 || echo "$expect")
  [[ $got == "$want" ]] || { echo "bench: ${label%% *} answered $got, not $want" >&2; exit 1; }
done

# Requests per second of one wrk run. A refusal has no status line, so wrk counts it as a
# read error and reconnects: for the refusing variant the rate is those errors per second.
measure() {
  local port=$1 referer=$2 expect=$3 out
  out=$(wrk -t1 -c"$connections" -d"${duration}s" -H "Referer: $referer" "http://127.0.0.1:$port$url_path")
  if [[ $expect == page ]]; then
    local errors seconds
    errors=$(sed -n 's/.*Socket errors:.*read \([0-9]*\),.*/\1/p' <<<"$out")
    seconds=$(sed -n 's/.* requests in \([0-9.]*\)s,.*/\1/p' <<<"$out")
    awk -v e="${errors:-0}" -v s="$seconds" 'BEGIN { printf "%.0f\n", e / s }'
  else
    sed -n 's/^Requests\/sec: *\([0-9.]*\)/\1/p' <<<"$out"
  fi
}

results=$root/results
: >"$results"
# Warm-up, not recorded.
for variant in "${variants[@]}"; do
  IFS='|' read -r label server referer expect <<<"$variant"
  wrk -t1 -c"$connections" -d1s -H "Referer: $referer" "http://127.0.0.1:$(port_of "$server")$url_path" >/dev/null
done
for round in $(seq 1 "$rounds"); do
  # Each round starts one variant later, so none always follows the same neighbour.
  for step in "${!variants[@]}"; do
    variant=${variants[$(((step + round) % ${#variants[@]}))]}
    IFS='|' read -r label server referer expect <<<"$variant"
    rate=$(measure "$(port_of "$server")" "$referer" "$expect")
    echo "$round ${label%% *} $rate" >>"$results"
    echo "round $round/$rounds  ${label%% *}  $rate/s" >&2
  done
done

# Medians of the rates, and of ratios paired within each round.
summary() {
  awk -v mode="$1" -v key="$2" -v other="$3" -v description="${4:-}" '
    function median(v, n,   i, j, t) {
      for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (v[j] < v[i]) { t = v[i]; v[i] = v[j]; v[j] = t }
      return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
    }
    $2 == key { rate[$1] = $3 }
    $2 == other { base[$1] = $3 }
    END {
      n = 0
      for (r in rate) { n++; rates[n] = rate[r]; ratios[n] = rate[r] / base[r] }
      m = median(rates, n); q = median(ratios, n)
      if (mode == "rate") printf "| %s (%s) | %.0f | %.3f (%.3f-%.3f) |\n", key, description, m, q, ratios[1], ratios[n]
      else printf "| %s / %s | %.3f (%.3f-%.3f) |\n", key, other, q, ratios[1], ratios[n]
    }' "$results"
}

echo
echo "wrk -t1 -c$connections -d${duration}s, $rounds interleaved rounds, $(nproc) cores, load average" \
     "$(cut -d' ' -f1-3 /proc/loadavg), $(wrk --version 2>&1 | head -n1 | cut -d' ' -f1-2)," \
     "$("$httpd" -v | sed -n 's/Server version: //p')"
echo
echo "| variant | median requests/s | median ratio to a (min-max) |"
echo "|---|---:|---:|"
for variant in "${variants[@]}"; do
  IFS='|' read -r label _ _ _ <<<"$variant"
  summary rate "${label%% *}" a "$(sed 's/^[^ ]* *//' <<<"$label")"
done
echo
echo "| paired comparison | median ratio (min-max) |"
echo "|---|---:|"
summary ratio b d
summary ratio b500 d500
summary ratio b500 b
