#!/usr/bin/env bash
# Recordings with changed areas read by other decoders: the fake-screen
# scenes recorded through the capture loop (tools/area_sample.cpp), decoded
# by ImageMagick (coalesced) and by headless Chromium (ImageDecoder, each
# frame drawn to a canvas). Every decoder must show, after every frame,
# exactly the picture the tests' own reader composes: all are lossless
# readers of the same file.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
sample="${PIXLO_BUILD_NATIVE:-$root/build/native}/tools/pixlo_area_sample"
# shellcheck source=tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"
for tool in convert chromium python3; do
  command -v "$tool" >/dev/null || fail "changed areas: $tool is missing (scripts/setup.sh installs it)"
done
[ -x "$sample" ] || fail "changed areas: build first (scripts/build.sh native)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

"$sample" "$work" >scenes.txt || fail "pixlo_area_sample: $(cat scenes.txt)"

cat >compare.py <<'PY'
import base64, json, os, subprocess, sys, time

scenes = []
for line in open('scenes.txt'):
    base, width, height, frames, name = line.rstrip('\n').split(' ', 4)
    scenes.append((base, int(width), int(height), int(frames), name))

def reference(base, width, height, frames):
    data = open(base + '.rgb', 'rb').read()
    size = width * height * 3
    assert len(data) == size * frames, f'{base}.rgb: {len(data)} bytes for {frames} frames'
    return [data[i * size:(i + 1) * size] for i in range(frames)]

def first_difference(a, b, width):
    for i in range(0, min(len(a), len(b)), 3):
        if a[i:i + 3] != b[i:i + 3]:
            p = i // 3
            return f'pixel ({p % width}, {p // width}) is {tuple(a[i:i + 3])}, the reference shows {tuple(b[i:i + 3])}'
    return f'{len(a)} bytes against {len(b)}'

def compare(decoder, pictures, base, width, height, frames, name):
    expected = reference(base, width, height, frames)
    if len(pictures) != frames:
        sys.exit(f'{decoder}, {name}: {len(pictures)} frames, the file has {frames}')
    for k, (got, want) in enumerate(zip(pictures, expected)):
        if got != want:
            sys.exit(f'{decoder}, {name}, frame {k}: {first_difference(got, want, width)}')

# ImageMagick: every frame coalesced onto the ones before it.
for base, width, height, frames, name in scenes:
    raw = subprocess.run(['convert', base + '.gif', '-coalesce', '-depth', '8', 'rgb:-'],
                         capture_output=True, check=True).stdout
    size = width * height * 3
    compare('ImageMagick', [raw[i:i + size] for i in range(0, len(raw), size)], base, width, height, frames, name)
print(f'ok: ImageMagick composes the {len(scenes)} recordings exactly as the reference reader does')

# Chromium, driven over its debugging pipe (fd 3 in, fd 4 out, messages ended
# by a zero byte). ImageDecoder needs a secure context: a local page.
DECODE = '''(async (gifs) => {
  const result = [];
  for (const text of gifs) {
    const bytes = Uint8Array.from(atob(text), c => c.charCodeAt(0));
    const decoder = new ImageDecoder({data: bytes, type: 'image/gif', colorSpaceConversion: 'none',
                                      premultiplyAlpha: 'none'});
    await decoder.tracks.ready;
    const frames = [];
    for (let f = 0; f < decoder.tracks.selectedTrack.frameCount; f++) {
      const {image} = await decoder.decode({frameIndex: f});
      const canvas = new OffscreenCanvas(image.displayWidth, image.displayHeight);
      const context = canvas.getContext('2d', {willReadFrequently: true});
      context.drawImage(image, 0, 0);
      image.close();
      const rgba = context.getImageData(0, 0, canvas.width, canvas.height).data;
      let rgb = '';
      for (let i = 0; i < rgba.length; i += 4) {
        if (rgba[i + 3] !== 255) throw new Error(`frame ${f}: pixel ${i / 4} is not opaque`);
        rgb += String.fromCharCode(rgba[i], rgba[i + 1], rgba[i + 2]);
      }
      frames.push(btoa(rgb));
    }
    decoder.close();
    result.push(frames);
  }
  return JSON.stringify(result);
})'''

def in_chromium(expression, url):
    to_child, from_parent = os.pipe()
    from_child, to_parent = os.pipe()
    proc = subprocess.Popen(['sh', '-c', 'exec chromium --headless --no-sandbox --disable-gpu --remote-debugging-pipe '
                             '--user-data-dir="$2" 3<&"$0" 4>&"$1"', str(to_child), str(to_parent),
                             os.path.abspath('chromium-profile')],
                            pass_fds=(to_child, to_parent), stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=open('chromium.log', 'wb'))
    os.close(to_child)
    os.close(to_parent)
    out, into = os.fdopen(from_parent, 'wb'), os.fdopen(from_child, 'rb')
    pending, sent = b'', [0]
    def send(method, params=None, session=None):
        sent[0] += 1
        message = {'id': sent[0], 'method': method, 'params': params or {}}
        if session:
            message['sessionId'] = session
        out.write(json.dumps(message).encode() + b'\0')
        out.flush()
        return sent[0]
    def reply(wanted):
        nonlocal pending
        while True:
            while b'\0' in pending:
                raw, pending = pending.split(b'\0', 1)
                message = json.loads(raw)
                if message.get('id') == wanted:
                    if 'error' in message:
                        raise RuntimeError(message['error'])
                    return message['result']
            chunk = into.read1(1 << 20)
            if not chunk:
                raise RuntimeError('chromium ended: ' + open('chromium.log', errors='replace').read()[-500:])
            pending += chunk
    try:
        target = reply(send('Target.createTarget', {'url': url}))['targetId']
        session = reply(send('Target.attachToTarget', {'targetId': target, 'flatten': True}))['sessionId']
        for _ in range(400):  # until the page answers, not the blank document before it
            state = reply(send('Runtime.evaluate', {'expression': 'location.href + " " + document.readyState',
                                                    'returnByValue': True}, session))
            if state['result'].get('value') == url + ' complete':
                break
            time.sleep(0.05)
        result = reply(send('Runtime.evaluate', {'expression': expression, 'awaitPromise': True,
                                                 'returnByValue': True}, session))
        if 'exceptionDetails' in result:
            raise RuntimeError(json.dumps(result['exceptionDetails'])[:800])
        return result['result']['value']
    finally:
        try:
            send('Browser.close')
        except OSError:
            pass
        try:
            proc.wait(15)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()

open('blank.html', 'w').write('<!doctype html><title>decoders</title>')
gifs = [base64.b64encode(open(base + '.gif', 'rb').read()).decode() for base, *_ in scenes]
decoded = json.loads(in_chromium(DECODE + '(' + json.dumps(gifs) + ')', 'file://' + os.path.abspath('blank.html')))
for (base, width, height, frames, name), pictures in zip(scenes, decoded):
    compare('Chromium', [base64.b64decode(p) for p in pictures], base, width, height, frames, name)
if len(decoded) != len(scenes):
    sys.exit(f'Chromium decoded {len(decoded)} of {len(scenes)} files')
print(f'ok: Chromium (ImageDecoder) composes the {len(scenes)} recordings exactly as the reference reader does')
PY
timeout 120 python3 compare.py || fail "changed areas: the decoders disagree with the reference reader"
ok "changed-area recordings of $(wc -l <scenes.txt) scenes read the same in ImageMagick, Chromium and the reference reader"
