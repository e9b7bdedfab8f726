#!/usr/bin/env bash
# check-package.sh SOURCE_DIR VERSION: builds the Debian packages from the
# optimised build that ./run package keeps in SOURCE_DIR/build/package (made
# once, then brought up to date) and checks what an operator's PC and a
# monitoring server would get from them.
set -euo pipefail
src=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

debs=$("$src/scripts/build-package" "$src/build/package" 2>"$work/build.log") || {
  tail -40 "$work/build.log" >&2
  fail "the packages did not build"
}
deb=$(grep '/zelt6380_[^/]*\.deb$' <<<"$debs") || fail "no console package among: $debs"
exporter_deb=$(grep '/zelt6380-exporter_[^/]*\.deb$' <<<"$debs") || fail "no exporter package among: $debs"

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
expected=(
  ./usr/bin/zelt6380
  ./usr/bin/zelt6380-sim
  ./usr/share/applications/zelt6380.desktop
  ./usr/share/icons/hicolor/scalable/apps/zelt6380.svg
  ./usr/share/man/man1/zelt6380.1.gz
  ./usr/share/man/man1/zelt6380-sim.1.gz
  ./usr/share/doc/zelt6380/README.md
  ./usr/share/doc/zelt6380/copyright
  ./usr/share/doc/zelt6380/changelog.gz
)
# Every picture and page the README links to.
for picture in $(grep -oE '\]\(docs/[^)]*\.(png|md)\)' "$src/README.md" | sed 's/^](//; s/)$//' | sort -u); do
  expected+=("./usr/share/doc/zelt6380/$picture")
done
sizes=(16 22 24 32 48 64 128 256)
for size in "${sizes[@]}"; do
  expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/zelt6380.png")
done
for path in "${expected[@]}"; do
  grep -qxF "$path" <<<"$contents" || fail "$path is not in the package"
done

exporter_contents=$(dpkg-deb -c "$exporter_deb" | awk '{print $6}')
for path in ./usr/bin/zelt6380-exporter ./etc/zelt6380/zelt6380-exporter.conf \
    ./usr/lib/systemd/system/zelt6380-exporter.service ./usr/share/man/man1/zelt6380-exporter.1.gz \
    ./usr/share/zelt6380-exporter/zelt6380-rules.yml ./usr/share/zelt6380-exporter/zelt6380-dashboard.json \
    ./usr/share/doc/zelt6380-exporter/copyright ./usr/share/doc/zelt6380-exporter/changelog.gz \
    ./usr/share/doc/zelt6380-exporter/README ./usr/share/doc/zelt6380-exporter/examples/web-config.yml; do
  grep -qxF "$path" <<<"$exporter_contents" || fail "$path is not in the exporter package"
done
# The configuration survives upgrades as the administrator edited it, and
# no maintainer script enables the service.
dpkg-deb -I "$exporter_deb" conffiles | grep -qxF /etc/zelt6380/zelt6380-exporter.conf ||
  fail "the exporter's configuration is not a conffile"
# The maintainer scripts record the service's state, restart it on upgrade
# only when it runs, and forget it on purge; none enables or starts it.
for script in postinst postrm prerm; do
  text=$(dpkg-deb -I "$exporter_deb" "$script") || fail "the exporter package has no $script"
  for verb in $(grep -v '^[[:space:]]*#' <<<"$text" |
    grep -oE '(deb-systemd-helper|deb-systemd-invoke|systemctl)( --[a-z]+)* [a-z-]+' | awk '{print $NF}'); do
    case "$script $verb" in
      "postinst update-state" | "postinst try-restart" | "postinst daemon-reload" | "postrm daemon-reload" | \
        "postrm purge" | "prerm stop") ;;
      *) fail "the exporter's $script calls $verb on the service" ;;
    esac
  done
done
dpkg-deb -I "$exporter_deb" postinst | grep -q 'deb-systemd-helper update-state' ||
  fail "the exporter's postinst does not record the service's state"
dpkg-deb -I "$exporter_deb" postrm | grep -q 'deb-systemd-helper purge' ||
  fail "the exporter's postrm does not purge the service's state"

for package in "$deb" "$exporter_deb"; do
  # Every program has its manual page.
  files=$(dpkg-deb -c "$package" | awk '{print $6}')
  for program in $(grep '^\./usr/bin/.' <<<"$files"); do
    name=$(basename "$program")
    grep -qE "^\./usr/share/man/man[1-8]/$name\.[1-8]\.gz$" <<<"$files" || fail "$program has no manual page"
  done

  # Debian's package checker finds no error and no warning.
  lintian --fail-on error,warning "$package" >"$work/lintian.log" 2>&1 || {
    cat "$work/lintian.log" >&2
    fail "lintian reports errors or warnings on $(basename "$package")"
  }

  [ "$(dpkg-deb -f "$package" Version)" = "$version" ] || fail "$(basename "$package"): version is not $version"
done
depends=$(dpkg-deb -f "$deb" Depends)
for dep in fonts-nanum libqt6widgets6 libc6; do
  grep -qw "$dep" <<<"$depends" || fail "Depends lacks $dep: $depends"
done
# A headless server gets no widgets, no windowing and no fonts.
exporter_depends=$(dpkg-deb -f "$exporter_deb" Depends)
grep -qw libc6 <<<"$exporter_depends" || fail "the exporter's Depends lacks libc6: $exporter_depends"
if grep -qE 'libqt6(widgets|gui)6|fonts-' <<<"$exporter_depends"; then
  fail "the exporter depends on widgets, windowing or fonts: $exporter_depends"
fi

root=$work/root
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/zelt6380.desktop" || fail "the desktop entry is not valid"

# A PNG's width and height are the big-endian words at bytes 16 and 20.
for size in "${sizes[@]}"; do
  read -r width height < <(od -An -tu1 -j16 -N8 "$root/usr/share/icons/hicolor/${size}x${size}/apps/zelt6380.png" |
    awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
  [ "$width $height" = "$size $size" ] || fail "the ${size}x${size} icon is ${width}x${height}"
done

# The packaged simulator runs, and its manual page covers every option it lists.
help=$("$root/usr/bin/zelt6380-sim" --help) || fail "zelt6380-sim --help failed"
manual=$(gzip -dc "$root/usr/share/man/man1/zelt6380-sim.1.gz" | sed 's/\\-/-/g')
for option in $(grep -oE -- '--[a-z-]+' <<<"$help" | sort -u); do
  grep -qF -- "$option" <<<"$manual" || fail "the manual page lacks $option"
done
echo "packages ok: $(basename "$deb") $(basename "$exporter_deb")"
