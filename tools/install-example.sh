#!/bin/sh
# Puts the installation example in place: a signed copy of Tarnwick that asks to be installed,
# on the disk image that sessions/install.json attaches ("/Volumes/Tarnwick" of the session's
# machine folder "Disk" in the home folder). Give it the home folder `make run` uses (the
# default, build/home, or the RUN_HOME you set), then run
#
#     TARNWICK_SESSION=sessions/install.json make run
#
# and answer the dialog with `alert press "Install and Open"`. Run again, it puts a fresh copy on
# the disk image; what an installation put in "~/Applications" stays.
set -eu

home="${1:-$(cd "$(dirname "$0")/.." && pwd)/build/home}"
bundle="$home/Disk/Volumes/Tarnwick/Tarnwick.app"
rm -rf "$bundle"
mkdir -p "$bundle/Contents/MacOS" "$bundle/Contents/_CodeSignature"

# The manifest: which application this is, its build, the executable's name, and that it must be
# installed in an Applications folder before it runs.
cat > "$bundle/Contents/Info.json" <<'EOF'
{
  "CFBundleExecutable" : "Tarnwick",
  "CFBundleIdentifier" : "local.orlenbay.Tarnwick",
  "CFBundleName" : "Tarnwick",
  "CFBundleVersion" : "7",
  "TarnwickRequireInstallation" : true
}
EOF

cat > "$bundle/Contents/MacOS/Tarnwick" <<'EOF'
#!/bin/sh
# The executable of the copy on the disk image. The simulated session starts bundles itself
# and never runs this file.
EOF
chmod +x "$bundle/Contents/MacOS/Tarnwick"

# The signature record: the identifier and the signer (together the designated requirement), each
# architecture's signature and whether it is intact, nested code signed apart, and a digest of
# every file and link of the bundle but this record ("file:" or "link:" and the 64-bit FNV-1a of
# the bytes or of the link's target, in hexadecimal). A copy whose files differ from their
# digests fails the signature check.
cat > "$bundle/Contents/_CodeSignature/Signature.json" <<'EOF'
{
  "architectures" : {
    "arm64" : true,
    "x86_64" : true
  },
  "identifier" : "local.orlenbay.Tarnwick",
  "nestedCode" : [],
  "resources" : {
    "Contents/Info.json" : "file:7dd9cc0934d87bc6",
    "Contents/MacOS/Tarnwick" : "file:61b9fcf1e72c1870"
  },
  "signer" : "Developer ID Application: Orlenbay (4KQ7T2P9XA)"
}
EOF

echo "The copy to install is at $bundle."
