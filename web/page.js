// Wires the page's controls to the core and does what only the browser can: the save dialog or
// the download. Every rule about names and images is the core's (core_binding.cpp).
"use strict";

createTilewrightCore().then((core) => {
    const nameBox = document.getElementById("txtName");
    const createButton = document.getElementById("cmdCreate");
    const options = document.querySelectorAll('input[name="icon"]');
    const errorBox = document.getElementById("errorBox");

    // A typed character goes through the key rule; text from anywhere else (a paste, a drop,
    // a correction) through the text rule. What comes out replaces the selection.
    nameBox.addEventListener("beforeinput", (event) => {
        const text = event.dataTransfer ? event.dataTransfer.getData("text/plain") : event.data;
        if (text === null || !event.cancelable) {
            return;  // a deletion, or an input method's text, which the browser will not refuse
        }
        const typed = event.inputType === "insertText" && text.length === 1;
        const filtered = typed ? typedKey(text) : core.filterText(text);
        if (filtered === text) {
            return;
        }
        event.preventDefault();
        // A swallowed character changes nothing, not even the selection it would replace.
        if (filtered !== "") {
            nameBox.setRangeText(filtered, nameBox.selectionStart, nameBox.selectionEnd, "end");
        }
    });
    // An input method's text arrives while it composes and cannot be refused then; once it is
    // done, the text rule runs over the box, which leaves what was already in it as it was.
    nameBox.addEventListener("compositionend", applyTextRule);
    nameBox.addEventListener("keydown", (event) => {
        if (event.key === "Enter" && !event.isComposing) {
            event.preventDefault();
            createButton.click();
        }
    });
    for (const option of options) {
        option.addEventListener("change", () => nameBox.focus());
    }
    createButton.addEventListener("click", () => {
        create().catch((error) => showError(error.message));
    });
    errorBox.addEventListener("close", () => nameBox.focus());

    nameBox.readOnly = false;
    nameBox.focus();
    performance.mark("tilewright-ready");

    function typedKey(text) {
        const code = core.filterKey(text.charCodeAt(0));
        return code === 0 ? "" : String.fromCharCode(code);
    }

    function applyTextRule() {
        const caret = core.filterText(nameBox.value.slice(0, nameBox.selectionEnd)).length;
        nameBox.value = core.filterText(nameBox.value);
        nameBox.setSelectionRange(caret, caret);
    }

    // As the windows' Create: nothing for an empty name, the error box for a long one; else
    // save the image where the user says and clear the inputs for the next name.
    async function create() {
        const name = nameBox.value;
        const start = core.startCreate(name);
        if (start.error) {
            showError(start.error);
        }
        if (!start.save) {
            return;
        }
        const icon = Number(document.querySelector('input[name="icon"]:checked').value);
        if (await save(start.fileName, () => core.romImage(name, icon))) {
            nameBox.value = "";
            options[0].checked = true;
            nameBox.focus();
        }
    }

    // Where the browser has a save dialog for pages, it asks where to save; elsewhere the image
    // is downloaded under the offered name. False when the user cancels the dialog.
    async function save(fileName, makeImage) {
        if (!("showSaveFilePicker" in window)) {
            download(fileName, makeImage());
            return true;
        }
        let file;
        try {
            file = await window.showSaveFilePicker({
                suggestedName: fileName,
                types: [{
                    description: core.saveFilterDescription(),
                    accept: {"application/octet-stream": [core.saveFilterExtension()]},
                }],
            });
        } catch (error) {
            if (error.name === "AbortError") {
                return false;
            }
            throw error;
        }
        const image = makeImage();
        const stream = await file.createWritable();
        await stream.write(image);
        await stream.close();
        return true;
    }

    function download(fileName, image) {
        const link = document.createElement("a");
        link.href = URL.createObjectURL(new Blob([image], {type: "application/octet-stream"}));
        link.download = fileName;
        link.click();
        // The download has its own reference to the bytes once it has started.
        setTimeout(() => URL.revokeObjectURL(link.href), 60000);
    }

    function showError(text) {
        document.getElementById("errorText").textContent = text;
        errorBox.showModal();
    }
});
