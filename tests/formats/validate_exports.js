// Exports each model (MODEL[,ANIMATIONS]) with the command-line tool, as .glb and as .gltf, and
// runs the Khronos glTF Validator on every file written. Any error or warning fails the test.
// Usage: node validate_exports.js BRAMBLEWICK VALIDATOR_MODULE OUTPUT_FOLDER MODEL[,ANIMATIONS]...
"use strict";
const fs = require("fs");
const path = require("path");
const { execFileSync } = require("child_process");

const [tool, validatorModule, outputFolder, ...models] = process.argv.slice(2);
if (!fs.existsSync(validatorModule)) {
    console.log(`no validator at ${validatorModule} (./scripts/test installs it); skipped`);
    process.exit(77);
}
const validator = require(validatorModule);
fs.mkdirSync(outputFolder, { recursive: true });

async function validate(file) {
    const options = {
        uri: file,
        maxIssues: 100,
        externalResourceFunction: (uri) =>
            Promise.resolve(new Uint8Array(fs.readFileSync(path.join(path.dirname(file),
                decodeURIComponent(uri))))),
    };
    const report = await validator.validateBytes(new Uint8Array(fs.readFileSync(file)), options);
    const { numErrors, numWarnings, messages } = report.issues;
    console.log(`${file}: ${numErrors} errors, ${numWarnings} warnings, ` +
        `${report.info.animationCount} animations, ${report.info.totalVertexCount} vertices`);
    for (const message of messages.filter((m) => m.severity <= 1)) {
        console.log(`  ${message.code} ${message.pointer || ""}: ${message.message}`);
    }
    return numErrors === 0 && numWarnings === 0;
}

(async () => {
    let good = true;
    for (const pair of models) {
        const files = pair.split(",");
        const base = path.basename(files[files.length - 1], ".xml"); // the last file tells pairs apart
        for (const extension of [".glb", ".gltf"]) {
            const output = path.join(outputFolder, base + extension);
            execFileSync(tool, ["export", ...files, "-o", output], { stdio: "inherit" });
            good = (await validate(output)) && good;
        }
    }
    process.exit(good ? 0 : 1);
})().catch((error) => {
    console.error(error);
    process.exit(1);
});
